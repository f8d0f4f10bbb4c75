/* Whether a Wine session can give a program Direct3D 9: exit code 0 when a Direct3D 9 object
 * can be made and sees an adapter, 1 otherwise. The harness runs it before each viewer under
 * Wine, so that a session whose desktop or display driver failed to come up is set up anew
 * instead of failing the viewer's case.
 *
 * Build: x86_64-w64-mingw32-gcc -O2 -o d3d9_probe.exe d3d9_probe.c -ld3d9
 */

#include <d3d9.h>

int main(void) {
    IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (direct3d == NULL) {
        return 1;
    }
    const UINT adapters = IDirect3D9_GetAdapterCount(direct3d);
    IDirect3D9_Release(direct3d);
    return adapters > 0 ? 0 : 1;
}
