#include "scene/screen_texts.h"

#include <cstdio>

// "\u3000" is the ideographic space; the blanks are part of the layout, as are the two
// ASCII blanks in "  (".
const char helpText[] = "使用キー\n"
                        "ESCキー \u3000\u3000\u3000\u3000終了\n"
                        "テンキー\u3000\u3000\u3000\u30002,4,6,8  (移動)\n"
                        "テンキー         1,3,7,9,+,-,*,/\n"
                        "        Shift 左右\u3000Ctrl 左右   (物体動作)\n"
                        "PageUp,PageDown,←,↑,→,↓  (視点変化)\n"
                        "A S D W  (フィルタ移動)\n"
                        "Q E Z C  (フィルタ拡大縮小)\n"
                        "Enter     (キャプチャ)";

const char keyLegendLine[] =
    "キーボード:\u30001 2\u3000\u3000\u3000\u30003 4\u3000\u3000\u3000\u30005 6"
    "\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000"
    "\u3000\u3000\u3000"
    "7 U \u3000 \u3000\u30008 I \u3000 9 O\u3000  0 P";

const char valueLine[] = "\u3000\u3000\u3000\u3000\u3000[赤 %d]\u3000[緑 %d]\u3000[青 %d]"
                         "\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000"
                         "\u3000\u3000\u3000 [透明 %d]\u3000\u3000%d \u3000 %d \u3000 %d";

void formatValueLine(char (&buffer)[textBufferSize], const ViewerState& state) {
    std::snprintf(buffer, textBufferSize, valueLine, state.filterRed, state.filterGreen,
                  state.filterBlue, state.filterAlpha, state.ambientRedPercent,
                  state.ambientGreenPercent, state.ambientBluePercent);
}
