// The floor the viewer is measured against: an empty Direct3D 9 program with the viewer's
// window (class style, style, title, 592 × 576 client area, and the capture button inside it)
// and present parameters, drawing the model.x and kabe.x of its working folder with one draw
// call each, under the viewer's light and starting camera. No filter, no texts, no keyboard
// poll; the button does nothing. Escape or closing quits; like the viewer, it then releases
// the device and waits for the threads the device started, so that it ends with 0.
//
// The button matters to the figures: under Wine a window with a child window has its picture
// clipped on the way to the screen, which costs every frame.
#include "platform/d3d9/device_threads.h"
#include "platform/win32/win32_window_layout.h"

#include <windows.h>

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdio>
#include <initializer_list>
#include <vector>

namespace {

struct Model {
    ID3DXMesh* mesh = nullptr;
    IDirect3DTexture9* texture = nullptr; // the first material's
    D3DMATERIAL9 material = {};
};

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY || (message == WM_KEYDOWN && wParam == VK_ESCAPE)) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createWindow() {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = win32_layout::classStyle;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = "FLOOR0";
    RegisterClassExA(&windowClass);
    RECT rect = {0, 0, window_layout::clientWidth, window_layout::clientHeight};
    AdjustWindowRectEx(&rect, win32_layout::style, FALSE, win32_layout::extendedStyle);
    // The viewer's title, so the same scripts find this window.
    const HWND window =
        CreateWindowExA(win32_layout::extendedStyle, "FLOOR0", window_layout::title,
                        win32_layout::style, CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left,
                        rect.bottom - rect.top, nullptr, nullptr, windowClass.hInstance, nullptr);
    CreateWindowExA(0, "BUTTON", window_layout::captureButtonCaption,
                    win32_layout::captureButtonStyle, window_layout::captureButtonX,
                    window_layout::captureButtonY, window_layout::captureButtonWidth,
                    window_layout::captureButtonHeight, window, nullptr, windowClass.hInstance,
                    nullptr);
    return window;
}

IDirect3DDevice9* createDevice(IDirect3D9* direct3d, HWND window) {
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = 592;
    parameters.BackBufferHeight = 576;
    parameters.BackBufferFormat = D3DFMT_R5G6B5;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    IDirect3DDevice9* device = nullptr;
    const std::vector<DWORD> threadsBefore = threadsOfThisProcess();
    for (DWORD behaviour :
         {D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_SOFTWARE_VERTEXPROCESSING}) {
        if (SUCCEEDED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, behaviour,
                                             &parameters, &device))) {
            rememberThreadsStartedSince(threadsBefore);
            return device;
        }
    }
    return nullptr;
}

Model loadModel(IDirect3DDevice9* device, const char* fileName) {
    Model model;
    ID3DXBuffer* materials = nullptr;
    DWORD materialCount = 0;
    if (FAILED(D3DXLoadMeshFromXA(fileName, D3DXMESH_MANAGED | D3DXMESH_32BIT, device, nullptr,
                                  &materials, nullptr, &materialCount, &model.mesh))) {
        return model;
    }
    if (materialCount > 0) {
        const D3DXMATERIAL* first = static_cast<D3DXMATERIAL*>(materials->GetBufferPointer());
        model.material = first->MatD3D;
        model.material.Ambient = model.material.Diffuse;
        if (first->pTextureFilename != nullptr) {
            D3DXCreateTextureFromFileA(device, first->pTextureFilename, &model.texture);
        }
    }
    materials->Release();
    return model;
}

void release(Model& model) {
    if (model.texture != nullptr) {
        model.texture->Release();
    }
    if (model.mesh != nullptr) {
        model.mesh->Release();
    }
}

void drawWhole(IDirect3DDevice9* device, const Model& model, float y) {
    if (model.mesh == nullptr) {
        return;
    }
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 0.0f, y, 0.0f);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetMaterial(&model.material);
    device->SetTexture(0, model.texture);
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    model.mesh->GetVertexBuffer(&vertices);
    model.mesh->GetIndexBuffer(&indices);
    device->SetStreamSource(0, vertices, 0, model.mesh->GetNumBytesPerVertex());
    device->SetIndices(indices);
    device->SetFVF(model.mesh->GetFVF());
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, model.mesh->GetNumVertices(), 0,
                                 model.mesh->GetNumFaces());
    vertices->Release();
    indices->Release();
}

void setUpLightAndCamera(IDirect3DDevice9* device) {
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {0.2f, 0.2f, 0.2f, 0.2f};
    light.Specular = {0.3f, 0.3f, 0.3f, 0.3f};
    light.Ambient = {0.99f, 0.99f, 0.99f, 1.0f};
    light.Direction = {0.0f, -1.0f, 1.0f};
    device->SetLight(2, &light);
    device->LightEnable(2, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    D3DXMATRIX view, projection;
    const D3DXVECTOR3 eye(0.0f, 3.0f, -3.0f), target(0.0f, 2.4f, -1.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 3.0f, 1.0f, 0.01f, 2000.0f);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HWND window = createWindow();
    IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    IDirect3DDevice9* device = direct3d ? createDevice(direct3d, window) : nullptr;
    if (device == nullptr) {
        std::fputs("floor: could not make the Direct3D device\n", stderr);
        return 1;
    }
    Model wall = loadModel(device, "kabe.x");
    Model model = loadModel(device, "model.x");
    setUpLightAndCamera(device);
    MSG message = {};
    while (message.message != WM_QUIT) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF3CA3B9, 1.0f, 0);
        drawWhole(device, wall, 2.4f);
        drawWhole(device, model, 2.58f);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    release(wall);
    release(model);
    device->Release();
    direct3d->Release();
    waitForRememberedThreadsToEnd(1000);
    return static_cast<int>(message.wParam);
}
