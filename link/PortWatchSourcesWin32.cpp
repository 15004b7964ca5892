// On Windows: the device notifications of every device interface (the COM ports' own among
// them), received by a message-only window of the watcher's thread, whose messages the event
// loop dispatches. ports/ links do not exist there.
#include <windows.h>
// After windows.h, which it needs.
#include <dbt.h>

#include "PortWatchSources.h"

namespace {

class Win32PortWatchSources final : public PortWatchSources {
  public:
    ~Win32PortWatchSources() override {
        if (notification_) UnregisterDeviceNotification(notification_);
        if (window_) DestroyWindow(window_);
    }

    PortWatcher::Watching Start(std::function<void()> changed) override {
        changed_ = std::move(changed);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"vq880-port-watcher";
        RegisterClassExW(&windowClass);  // already there for a second watcher: fine
        window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);
        PortWatcher::Watching watching;
        if (!window_) return watching;
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        notification_ = RegisterDeviceNotificationW(
            window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE | DEVICE_NOTIFY_ALL_INTERFACE_CLASSES);
        watching.deviceEvents = notification_ != nullptr;
        return watching;
    }

    void Follow(const PortInventory&) override {}

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_DEVICECHANGE &&
            (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE)) {
            auto* self =
                reinterpret_cast<Win32PortWatchSources*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            if (self && self->changed_) self->changed_();
            return TRUE;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    std::function<void()> changed_;
    HWND window_ = nullptr;
    HDEVNOTIFY notification_ = nullptr;
};

}  // namespace

std::unique_ptr<PortWatchSources> MakePortWatchSources(const QString&) {
    return std::make_unique<Win32PortWatchSources>();
}
