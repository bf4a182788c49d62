// Dialogs through the host: RunDialog on the resources UseModuleResources gave,
// the movie kept running by a dialog's timer, and scripted button presses.
// Needs a display (run under Xvfb).
#include "dialog_answers.h"
#include "host.h"
#include "status.h"

#include <commdlg.h>
#include <gtest/gtest.h>

namespace sonidrax::host {
namespace {

constexpr int32_t kTestDialog = 100;

// What the plug-in's dialogs do: a 100 ms timer that updates the movie, and the
// pressed button as the end code.
struct DialogRecord {
    HostMovie* movie = nullptr;
    Symbol frameEvent = 0;
    int ticks = 0;
};

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
            SetTimer(dialog, 1, 20, nullptr);
            return TRUE;
        case WM_TIMER: {
            auto* record = reinterpret_cast<DialogRecord*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
            if (wParam == 1 && record) {
                record->movie->ops->CallHandler(record->movie, record->frameEvent, 0, nullptr, nullptr);
                ++record->ticks;
            }
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                KillTimer(dialog, 1);
                EndDialog(dialog, LOWORD(wParam));
            }
            return TRUE;
        default:
            return FALSE;
    }
}

class DialogTest : public ::testing::Test {
protected:
    DialogTest() : record(host.NewRecord("x")) { InstallDialogAnswers(&host); }
    ~DialogTest() override { RemoveDialogAnswers(); }

    INT_PTR Run(DialogRecord* dialog) {
        void* out = nullptr;
        record->callback.iface.ops->QueryInterface(&record->callback.iface, &kIidHostWindow, &out);
        auto* window = static_cast<HostWindow*>(out);
        HostCallback* callback = &record->callback.iface;
        int32_t saved = -1;
        HANDLE resources = callback->ops->UseModuleResources(callback, GetModuleHandleA(nullptr), &saved);
        const INT_PTR result =
            window->ops->RunDialog(window, resources, kTestDialog, TestDialogProc, reinterpret_cast<LPARAM>(dialog));
        EXPECT_EQ(callback->ops->RestoreResources(callback, GetModuleHandleA(nullptr), saved), kOk);
        window->ops->Release(window);
        return result;
    }

    Host host;
    InstanceRecord* record;
};

TEST_F(DialogTest, AScriptedAnswerEndsTheDialogWhileTheMovieRuns) {
    DialogRecord dialog;
    dialog.movie = &record->movie.iface;
    dialog.frameEvent = host.values.Intern("frameEvent");
    host.dialogAnswers.push_back({IDCANCEL, 150, std::nullopt});
    EXPECT_EQ(Run(&dialog), IDCANCEL);
    EXPECT_GT(dialog.ticks, 0);
    EXPECT_EQ(host.handlerCalls["frameEvent"], dialog.ticks);
    EXPECT_EQ(host.dialogsRun, 1);
    EXPECT_TRUE(host.dialogAnswers.empty());

    host.dialogAnswers.push_back({IDOK, 10, std::nullopt});
    EXPECT_EQ(Run(&dialog), IDOK);
    EXPECT_EQ(host.dialogsRun, 2);
    EXPECT_TRUE(host.resourceStack.empty());
    EXPECT_EQ(host.FaultCount(), 0u);
}

TEST_F(DialogTest, AMissingTemplateFailsWithoutADialog) {
    void* out = nullptr;
    record->callback.iface.ops->QueryInterface(&record->callback.iface, &kIidHostWindow, &out);
    auto* window = static_cast<HostWindow*>(out);
    EXPECT_EQ(window->ops->RunDialog(window, GetModuleHandleA(nullptr), 4242, TestDialogProc, 0), -1);
    window->ops->Release(window);
}

// The file dialogs are shown by the plug-in itself; an answer can type a name first.
TEST_F(DialogTest, AnswersTypeAFileNameIntoFileDialogs) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    char buffer[2048] = "";
    OPENFILENAMEA settings{};
    settings.lStructSize = sizeof settings;
    settings.lpstrFilter = "All Files (*.*)\0*.*\0";
    settings.nFilterIndex = 1;
    settings.lpstrFile = buffer;
    settings.nMaxFile = sizeof buffer;
    settings.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;

    host.dialogAnswers.push_back({IDOK, 100, std::string(exe)});
    ASSERT_TRUE(GetOpenFileNameA(&settings));
    EXPECT_EQ(lstrcmpiA(buffer, exe), 0);

    host.dialogAnswers.push_back({IDCANCEL, 50, std::nullopt});
    buffer[0] = '\0';
    EXPECT_FALSE(GetOpenFileNameA(&settings));
    EXPECT_TRUE(host.dialogAnswers.empty());
}

}  // namespace
}  // namespace sonidrax::host
