#include "window/main_window.h"

WindowHandle mainWindow = nullptr;
