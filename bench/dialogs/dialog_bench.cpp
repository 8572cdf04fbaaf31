// dialog_bench SUPPORTFOLDER: under Wine, the start-up cost of loading 20 dialogs (the
// demo's pages over and over: form file, property model, windows) and, per page, the time
// from the display's start (prepare from the variables, show, paint) to the page painted.
#include "FormFile.h"
#include "TPoolTemplate.h"
#include "VariableManager.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialog_bench SUPPORTFOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "\\";
    const std::vector<std::string> pages = {"Welcome", "Licence",  "Folder",
                                            "Options", "Progress", "Finish"};
    ovd::DefineVariable("TITLE", "Ordovan Demo", "Initialization");
    ovd::DefineVariable("TARGETDIR", "C:\\Program Files\\Ordovan Demo\\", "Initialization");

    std::vector<std::unique_ptr<ovd::TPoolTemplate>> dialogs;
    const double start = Now();
    double first = 0;
    for (int i = 0; i < 20; ++i) {
        if (i == 1)
            first = Now() - start;
        const std::string file =
            folder + pages[static_cast<std::size_t>(i) % pages.size()] + ".dfm";
        dialogs.push_back(std::make_unique<ovd::TPoolTemplate>(
            file, ovd::TDialogModel::FromForm(ovd::ReadFormFile(file)),
            std::vector<ovd::TDialogRule>{}));
    }
    std::printf("loading 20 dialogs: %.1f ms (the first, with the one-time set-up: %.1f ms)\n",
                Now() - start, first);

    constexpr int kRounds = 10;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        ovd::TPoolTemplate& form = *dialogs[p];
        double total = 0;
        for (int round = 0; round < kRounds; ++round) {
            const double begin = Now();
            form.Prepare();
            ShowWindow(form.Window(), SW_SHOW);
            UpdateWindow(form.Window());
            GdiFlush();
            total += Now() - begin;
            ShowWindow(form.Window(), SW_HIDE);
        }
        std::printf("%-8s display to painted: %.1f ms (mean of %d)\n", pages[p].c_str(),
                    total / kRounds, kRounds);
    }
    return 0;
}
