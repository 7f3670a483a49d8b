#include "winui/progress_window.h"

#include <commctrl.h>

#include <string>

#include "ui/job_progress.h"
#include "ui/progress_text.h"
#include "winui/dialog_ids.h"
#include "winui/wide_text.h"

namespace quillon::winui {
namespace {

// The bar's own range: the whole job in thousandths, whatever range each file's blocks give.
constexpr int kBarSteps = 1000;
// Paint messages handled per update at most, so that a window that never validates itself
// cannot hold the card's writes back.
constexpr int kPaintMessagesPerUpdate = 64;

// The window has no close box, and Alt+F4, Escape and a WM_CLOSE from elsewhere do nothing:
// the card is being written and must not be left half done.
INT_PTR CALLBACK progressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (message) {
        case WM_INITDIALOG:
            return FALSE;  // no focus, so no caret anywhere
        case WM_CLOSE:
            SetWindowLongPtrW(window, DWLP_MSGRESULT, 0);
            return TRUE;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                SetWindowLongPtrW(window, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

class Win32ProgressWindow : public ui::ProgressWindow {
  public:
    Win32ProgressWindow(HWND window, HFONT font) : window_(window), font_(font), bar_(*this) {
        text_ = GetDlgItem(window_, IDC_PROGRESS_TEXT);
        barControl_ = GetDlgItem(window_, IDC_PROGRESS_BAR);
        detail_ = GetDlgItem(window_, IDC_PROGRESS_DETAIL);
        if (font_ != nullptr) {
            SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        }
        SendMessageW(barControl_, PBM_SETRANGE32, 0, kBarSteps);
        SendMessageW(barControl_, PBM_SETPOS, 0, 0);
        startedTicks_ = GetTickCount();
    }

    ~Win32ProgressWindow() override {
        DestroyWindow(window_);
        // The text box is gone with its window: nothing draws with the font any more.
        if (font_ != nullptr) {
            DeleteObject(font_);
        }
    }
    Win32ProgressWindow(const Win32ProgressWindow&) = delete;
    Win32ProgressWindow& operator=(const Win32ProgressWindow&) = delete;

    void centre() override {
        RECT frame{};
        if (!GetWindowRect(window_, &frame)) {
            return;
        }
        RECT area{};
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        if (GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
            area = monitor.rcWork;
        } else {
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        }
        const LONG width = frame.right - frame.left;
        const LONG height = frame.bottom - frame.top;
        SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                     area.top + (area.bottom - area.top - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void show() override {
        ShowWindow(window_, SW_SHOW);
        showProgress();
        paintNow();
    }

    void hide() override { ShowWindow(window_, SW_HIDE); }

    ui::ProgressBar& bar() override { return bar_; }

    void jobChanged() override {
        showProgress();
        paintNow();
    }

  protected:
    void paintText(const std::string& text) override {
        SetWindowTextW(text_, wideFromUtf8(text).c_str());
        showProgress();
        paintNow();
    }

  private:
    class Bar : public ui::ProgressBar {
      public:
        explicit Bar(Win32ProgressWindow& window) : window_(window) {}
        void setRange(int low, int high) override {
            window_.low_ = low;
            window_.high_ = high;
            window_.position_ = low;
            window_.showProgress();
            window_.paintNow();
        }
        void setPosition(int position) override {
            window_.position_ = position;
            window_.showProgress();
            window_.paintNow();
        }

      private:
        Win32ProgressWindow& window_;
    };

    // The bar and the words under the text, for the whole job.
    void showProgress() {
        const double share =
            high_ > low_ ? double(position_ - low_) / (double(high_) - double(low_)) : 0.0;
        // A window that stands for a whole job (an update) draws the job's one bar and words.
        const ui::JobProgress* whole = job();
        const int value = whole != nullptr
                              ? whole->permille() * kBarSteps / 1000
                              : static_cast<int>(ui::jobShare(item(), share) * kBarSteps);
        if (value != shownValue_) {
            SendMessageW(barControl_, PBM_SETPOS, value, 0);
            shownValue_ = value;
        }
        const double seconds = (GetTickCount() - startedTicks_) / 1000.0;
        const std::string detail =
            whole != nullptr ? whole->detail() : ui::progressDetail(item(), share, seconds);
        if (detail != shownDetail_) {
            SetWindowTextW(detail_, wideFromUtf8(detail).c_str());
            shownDetail_ = detail;
        }
    }

    // Nothing processes this thread's messages while the card is written: paint the window
    // now, and let the paint messages waiting for any window of the thread through, so that
    // nothing on the screen looks hung. Input waits until the job is done.
    void paintNow() {
        RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        MSG message;
        for (int i = 0; i < kPaintMessagesPerUpdate &&
                        PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT);
             ++i) {
            DispatchMessageW(&message);
        }
    }

    HWND window_;
    HFONT font_;
    HWND text_ = nullptr;
    HWND barControl_ = nullptr;
    HWND detail_ = nullptr;
    Bar bar_;
    int low_ = 0;
    int high_ = 0;
    int position_ = 0;
    int shownValue_ = 0;
    std::string shownDetail_;
    DWORD startedTicks_ = 0;
};

}  // namespace

std::unique_ptr<ui::ProgressWindow> createProgressWindow(HINSTANCE instance, HWND owner) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    HWND window =
        CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_PROGRESS_WINDOW), owner, progressProc, 0);
    if (window == nullptr) {
        // Without its window the job still runs; it only goes unseen.
        return std::make_unique<ui::SilentProgressWindow>();
    }
    HFONT font =
        CreateFontW(20, 7, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, L"Arial");
    return std::make_unique<Win32ProgressWindow>(window, font);
}

}  // namespace quillon::winui
