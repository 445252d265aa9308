#pragma once
// The main window: the drive list, the write button, the change-list button
// and the version strip.
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/layout.h"
#include "app/message.h"
#include "app/picture_button.h"
#include "app/window_base.h"
#include "drives/drive_watcher.h"
#include "platform/handle.h"

namespace qz {

class TForm1 : public BaseWindow<TForm1> {
public:
    // Registers the class and creates the window, centred on the screen.
    void CreateForm(HINSTANCE instance);

    // Controls, owned by the window for its whole life.
    HWND Label1 = nullptr;
    HWND DeviceBox = nullptr;
    HWND SaveButton = nullptr;
    UINT_PTR Timer1 = 0;
    PictureButton RzBmpButton1;
    HWND FullVer = nullptr;

    void Timer1Timer();
    void SaveButtonClick();
    void RzBmpButton1Click();
    void FormCreate();

    // Operations the procedures use.
    std::wstring SelectedDrive() const;
    void ShowMessage(const Message& message) const;

private:
    friend class BaseWindow<TForm1>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls();
    void ApplyDpi(int dpi);
    void LayoutControls();
    void SetLabel(const wchar_t* text, COLORREF colour);
    void ApplyLook(const WindowLook& look);
    void DrawVersionStrip(const DRAWITEMSTRUCT& item) const;
    HWND Child(const wchar_t* windowClass, const wchar_t* text, DWORD style, int id);

    int dpi_ = kDesignDpi;
    COLORREF labelColour_ = 0;
    bool labelColourIsSystem_ = true;  // clWindowText until the first tick
    win::GdiObject font_;
    win::GdiObject versionFont_;
    HWND lastFocus_ = nullptr;
};

// The one main window.
extern TForm1* Form1;

void SaveFirmware();
void ShowChanges();
std::wstring GetVersionString();

}  // namespace qz
