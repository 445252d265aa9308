// QZ_LoadingModule: writes the firmware set it carries to a USB flash drive.
#include <windows.h>
#include <commctrl.h>

#include "app/Main.h"
#include "app/message.h"
#include "platform/system.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Before anything can load a DLL.
    qz::win::RestrictDllSearchToSystem32();

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    qz::TForm1 form;
    qz::Form1 = &form;
    try {
        form.CreateForm(instance);
    } catch (...) {
        qz::ReportCurrentException(nullptr);
        return 1;
    }
    ShowWindow(form.Window(), showCommand);
    UpdateWindow(form.Window());

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The dialog manager gives Tab, Shift+Tab and Space their usual work.
        if (form.Window() != nullptr && IsDialogMessageW(form.Window(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    qz::Form1 = nullptr;
    return static_cast<int>(message.wParam);
}
