// Runtime dialogs under Wine: every control class a dialog may hold becomes a window (or,
// for glass, none) without a crash; properties written by name reach the window at once;
// binding by Hint fills controls from variables and writes back on change; images show
// their bitmap, icon, PNG and JPEG pictures.
#include "DialogHost.h"
#include "TPoolTemplate.h"

#include "FormFile.h"
#include "MessagePump.h"
#include "TWorkerThread.h"
#include "VariableManager.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <objidl.h>
#include <wincodec.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace ovd {
namespace {

// One control of each class, in the designer's text form.
std::string EveryClassForm()
{
    const char* classes[] = {"TLabel",
                             "TEdit",
                             "TMemo",
                             "TButton",
                             "TRzCheckBox",
                             "TRzRadioButton",
                             "TListBox",
                             "TComboBox",
                             "TGroupBox",
                             "TPanel",
                             "TBitBtn",
                             "TSpeedButton",
                             "TMaskEdit",
                             "TImage",
                             "TShape",
                             "TBevel",
                             "TStaticText",
                             "TGauge",
                             "TPageControl",
                             "TRichEdit",
                             "TTrackBar",
                             "TProgressBar",
                             "TUpDown",
                             "TAnimate",
                             "TCheckListBox",
                             "TTreeView",
                             "THTMLViewer",
                             "TFileListBox",
                             "TDirectoryListBox",
                             "TDriveComboBox",
                             "TFilterComboBox",
                             "TPTShellTree",
                             "TPTShellList",
                             "TPTShellCombo",
                             "TFlashFrame",
                             "TRzFormShape",
                             "TRzBmpButton",
                             "TVistaGlass"};
    std::string form = "object Every: TPoolTemplate\n  ClientWidth = 600\n  ClientHeight = 400\n"
                       "  PixelsPerInch = 96\n";
    int n = 0;
    for (const char* cls : classes) {
        form += std::string("  object C") + std::to_string(n) + ": " + cls + "\n";
        form += "    Left = " + std::to_string(10 + (n % 6) * 95) +
                "\n    Top = " + std::to_string(10 + (n / 6) * 50) +
                "\n    Width = 90\n    Height = 40\n";
        if (std::string(cls) == "TPageControl")
            form += "    object Sheet1: TTabSheet\n      Caption = 'One'\n    end\n";
        form += "  end\n";
        ++n;
    }
    return form + "end\n";
}

std::string TextOf(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST(Dialogs, EveryControlClassBuildsAndPrepares)
{
    Variables().ClearVariables();
    TPoolTemplate form("C:\\support\\Every.dfm", TDialogModel::FromForm(LoadForm(EveryClassForm())),
                       {});
    ASSERT_TRUE(form.Window());
    EXPECT_NO_THROW(form.Prepare());
    int windows = 0;
    for (HWND child = GetWindow(form.Window(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT))
        ++windows;
    EXPECT_EQ(windows, 38); // 38 classes and the tab sheet; glass has no window
    EXPECT_EQ(form.Hint(), "Every.dfm");
}

const char kBound[] = R"(object Bound: TPoolTemplate
  Caption = 'Setup of $TITLE$'
  ClientWidth = 400
  ClientHeight = 200
  PixelsPerInch = 96
  object Edit1: TEdit
    Left = 10
    Top = 10
    Width = 200
    Height = 21
    Hint = 'TARGET'
  end
  object CheckBox1: TRzCheckBox
    Left = 10
    Top = 40
    Width = 200
    Height = 17
    Caption = 'Agree'
    Hint = 'AGREE'
  end
  object Button1: TButton
    Left = 10
    Top = 70
    Width = 75
    Height = 25
    Caption = 'Next'
    Enabled = False
    Tag = 1
  end
end
)";

TEST(Dialogs, BindingAndPropertiesFollowEachOther)
{
    Variables().ClearVariables();
    DefineVariable("TITLE", "Demo", "Initialization");
    DefineVariable("TARGET", "C:\\Demo\\", "Initialization");
    DefineVariable("AGREE", "TRUE", "Initialization");
    TPoolTemplate form("Bound.dfm", TDialogModel::FromForm(LoadForm(kBound)),
                       ParseDialogRules({"IF (CheckBox1.Checked = True)  THEN  Button1.Enabled "
                                         ":= True;"}));
    form.Prepare();
    HWND window = form.Window();
    EXPECT_EQ(TextOf(window), "Setup of Demo"); // the caption template expanded
    HWND edit = FindWindowExA(window, nullptr, "Edit", nullptr);
    HWND box = FindWindowExA(window, nullptr, "Button", "Agree");
    HWND next = FindWindowExA(window, nullptr, "Button", "Next");
    ASSERT_TRUE(edit && box && next);
    EXPECT_EQ(TextOf(edit), "C:\\Demo\\");
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(next)) << "the rule applied at preparation";

    // Typing writes the variable; a property written by name reaches the window.
    SetWindowTextA(edit, "D:\\Other\\");
    EXPECT_EQ(GetVariable("TARGET"), "D:\\Other\\");
    EXPECT_TRUE(form.Model().Write("Button1", "Caption", "Go"));
    EXPECT_EQ(TextOf(next), "Go");
    EXPECT_TRUE(form.Model().Write("Edit1", "Visible", "False"));
    EXPECT_FALSE(IsWindowVisible(edit) && GetWindowLongA(edit, GWL_STYLE) & WS_VISIBLE);

    // A detached dialog writes nothing.
    form.Detach();
    SetWindowTextA(edit, "E:\\");
    EXPECT_EQ(GetVariable("TARGET"), "D:\\Other\\");

    // Next by its Tag.
    form.Prepare();
    form.SetResult(kResultUndecided);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(next), BN_CLICKED),
                 reinterpret_cast<LPARAM>(next));
    EXPECT_EQ(form.Result(), kResultNext);
}

// Each kind that binds a variable fills its window from it and writes it back from its own
// notification: the kind table's binding and command columns, row by row.
TEST(Dialogs, EachKindBindsItsVariableBothWays)
{
    const auto notify = [](HWND form, HWND control, int code) {
        SendMessageA(form, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                     reinterpret_cast<LPARAM>(control));
    };
    const auto number = [](LRESULT value) { return std::to_string(value); };
    struct Case {
        const char* Name;
        const char* Controls; // the first one binds V
        const char* Initial;
        std::function<std::string(HWND)> Shown;
        std::function<void(HWND form, HWND control)> Change;
        const char* After;
    };
    const Case cases[] = {
        {"edit", "object C: TEdit\n Hint = 'V'\nend", "Ann", TextOf,
         [](HWND, HWND c) { SetWindowTextA(c, "Bob"); }, "Bob"},
        {"mask edit", "object C: TMaskEdit\n Hint = 'V'\nend", "12", TextOf,
         [](HWND, HWND c) { SetWindowTextA(c, "34"); }, "34"},
        {"memo", "object C: TMemo\n Hint = 'V'\nend", "a$NEWLINE$b", TextOf,
         [](HWND, HWND c) {
             // A multi-line edit reports typing, not a text set as a whole.
             SendMessageA(c, EM_SETSEL, 0, -1);
             SendMessageA(c, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("x\r\ny"));
         },
         "x$NEWLINE$y"},
        {"check box", "object C: TRzCheckBox\n Hint = 'V'\nend", "TRUE",
         [&](HWND c) { return number(SendMessageA(c, BM_GETCHECK, 0, 0)); },
         [&](HWND form, HWND c) {
             SendMessageA(c, BM_SETCHECK, BST_UNCHECKED, 0);
             notify(form, c, BN_CLICKED);
         },
         "FALSE"},
        {"radio group",
         "object C: TRzRadioButton\n Hint = 'V'\nend\nobject D: TRzRadioButton\n Hint = 'W'\nend",
         "TRUE", [&](HWND c) { return number(SendMessageA(c, BM_GETCHECK, 0, 0)); },
         [&](HWND form, HWND c) {
             HWND other = GetDlgItem(form, 102);
             SendMessageA(c, BM_SETCHECK, BST_UNCHECKED, 0);
             SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
             notify(form, other, BN_CLICKED);
         },
         "FALSE"},
        {"list box", "object C: TListBox\n Hint = 'V'\n Items.Strings = ('one' 'two')\nend", "two",
         [&](HWND c) { return number(SendMessageA(c, LB_GETCURSEL, 0, 0)); },
         [&](HWND form, HWND c) {
             SendMessageA(c, LB_SETCURSEL, 0, 0);
             notify(form, c, LBN_SELCHANGE);
         },
         "one"},
        {"drop-down list",
         "object C: TComboBox\n Hint = 'V'\n Style = csDropDownList\n"
         " Items.Strings = ('one' 'two')\nend",
         "TWO", [&](HWND c) { return number(SendMessageA(c, CB_GETCURSEL, 0, 0)); },
         [&](HWND form, HWND c) {
             SendMessageA(c, CB_SETCURSEL, 0, 0);
             notify(form, c, CBN_SELCHANGE);
         },
         "one"},
        // Sorted lists show their items in order; the selection still names the item.
        {"sorted list box",
         "object C: TListBox\n Hint = 'V'\n Sorted = True\n Items.Strings = ('two' 'one')\nend",
         "two", [&](HWND c) { return number(SendMessageA(c, LB_GETCURSEL, 0, 0)); },
         [&](HWND form, HWND c) {
             SendMessageA(c, LB_SETCURSEL, 0, 0);
             notify(form, c, LBN_SELCHANGE);
         },
         "one"},
        {"sorted drop-down list",
         "object C: TComboBox\n Hint = 'V'\n Style = csDropDownList\n Sorted = True\n"
         " Items.Strings = ('two' 'one')\nend",
         "two", [&](HWND c) { return number(SendMessageA(c, CB_GETCURSEL, 0, 0)); },
         [&](HWND form, HWND c) {
             SendMessageA(c, CB_SETCURSEL, 0, 0);
             notify(form, c, CBN_SELCHANGE);
         },
         "one"},
        {"track bar", "object C: TTrackBar\n Hint = 'V'\nend", "3",
         [&](HWND c) { return number(SendMessageA(c, TBM_GETPOS, 0, 0)); },
         [](HWND form, HWND c) {
             SendMessageA(c, TBM_SETPOS, TRUE, 7);
             SendMessageA(form, WM_HSCROLL, 0, reinterpret_cast<LPARAM>(c));
         },
         "7"},
    };
    const std::string expected[] = {"Ann", "12", "a\r\nb", "1", "1", "1", "1", "1", "1", "3"};
    std::size_t row = 0;
    for (const Case& c : cases) {
        Variables().ClearVariables();
        DefineVariable("V", c.Initial, "Initialization");
        DefineVariable("W", "FALSE", "Initialization");
        const std::string text = std::string("object K: TPoolTemplate\n ClientWidth = 300\n"
                                             " ClientHeight = 200\n") +
                                 c.Controls + "\nend\n";
        TPoolTemplate form("K.dfm", TDialogModel::FromForm(LoadForm(text)), {});
        form.Prepare();
        HWND control = GetDlgItem(form.Window(), 101);
        ASSERT_TRUE(control) << c.Name;
        EXPECT_EQ(c.Shown(control), expected[row++]) << c.Name;
        c.Change(form.Window(), control);
        EXPECT_EQ(GetVariable("V"), c.After) << c.Name;
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs)
            return false;
        WaitForMessages(100);
    }
    return true;
}

// The dialog on screen drives a task with its Timer1: the first tick starts it (once),
// later ticks show the workers' progress and ask whether it is done, and a done task ends
// the dialog's wait. Without a dialog on screen there is nothing to drive it.
TEST(Dialogs, TheShownDialogDrivesItsTask)
{
    struct Task final : IDialogTask {
        int Starts = 0;
        mutable int Asks = 0;
        bool Finished = false;
        bool StartOnce() override { return Starts++ == 0; }
        bool Done() const override
        {
            ++Asks;
            return Finished;
        }
    };
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "ovd-task-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::ofstream(folder + "Progress.dfm", std::ios::binary)
        << "object Progress: TPoolTemplate\n  ClientWidth = 300\n  ClientHeight = 100\n"
           "  object Bar: TProgressBar\n    Width = 300\n    Height = 20\n    Tag = 1\n  end\n"
           "  object Status: TStaticText\n    Top = 40\n    Width = 300\n    Height = 20\n"
           "    Tag = 1\n  end\n"
           "  object Step: TRzBmpButton\n    Top = 70\n    Caption = '$STEP$'\n  end\nend\n";
    Variables().ClearVariables();
    DefineVariable("STEP", "one", "test");
    ReportWorkerProgress("Copying files", 0, 100, 40);

    TDialogHost host;
    host.PrepareDialogs(folder);
    host.LoadDialog(folder + "Progress.dfm", "0");
    Task task;
    EXPECT_FALSE(host.ArmTask(task)) << "no dialog on screen";
    host.ShowDialogModeless(0);
    TPoolTemplate* form = host.CurrentDialog();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(host.ArmTask(task));
    HWND step = GetDlgItem(form->Window(), 103);
    EXPECT_EQ(TextOf(step), "one");
    SetVariable("STEP", "two", "test");

    EXPECT_TRUE(PumpUntil([&] { return task.Asks > 0; }, 5000));
    EXPECT_EQ(TextOf(step), "two") << "captions follow their variables while the task runs";
    EXPECT_EQ(task.Starts, 2) << "started on the first tick, asked again on the next";
    HWND bar = GetDlgItem(form->Window(), 101);
    HWND status = GetDlgItem(form->Window(), 102);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 40);
    EXPECT_EQ(TextOf(status), "Copying files");
    EXPECT_NE(form->Result(), kResultTaskDone);

    task.Finished = true;
    EXPECT_TRUE(PumpUntil([&] { return form->Result() == kResultTaskDone; }, 5000));
    host.DisarmTask();
    host.HideDialog();
    DeleteFileA((folder + "Progress.dfm").c_str());
    RemoveDirectoryA(folder.c_str());
}

TDialogHost* g_waitingHost = nullptr;
std::size_t g_unbuiltWhenClicked = 99;

void CALLBACK ClickNext(HWND, UINT, UINT_PTR timer, DWORD) noexcept
{
    KillTimer(nullptr, timer);
    g_unbuiltWhenClicked = g_waitingHost->UnbuiltDialogs();
    g_waitingHost->CurrentDialog()->SetResult(kResultNext);
}

// Loading reads the form files; the windows come when a dialog is first shown, and the next
// page (one) is built while a shown page waits for the user.
TEST(Dialogs, WindowsAreBuiltWhenFirstShownOrWhileAPageWaits)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "ovd-lazy-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"LazyOne", "LazyTwo", "LazyThree"})
        std::ofstream(folder + name + ".dfm", std::ios::binary)
            << "object " << name << ": TPoolTemplate\n  Caption = '" << name
            << " page'\n  ClientWidth = 300\n  ClientHeight = 100\n"
               "  object Next: TButton\n    Width = 75\n    Height = 25\n    Tag = 1\n"
               "    Caption = 'Next'\n  end\nend\n";
    Variables().ClearVariables();
    TDialogHost host;
    host.PrepareDialogs(folder);
    host.LoadDialog(folder + "LazyOne.dfm", "3");
    host.LoadDialog(folder + "LazyThree.dfm", "9");
    host.LoadDialog(folder + "LazyTwo.dfm", "7");
    EXPECT_EQ(host.UnbuiltDialogs(), 3u);
    EXPECT_EQ(FindWindowA("TPoolTemplate", "LazyOne page"), nullptr);

    g_waitingHost = &host;
    g_unbuiltWhenClicked = 99;
    const UINT_PTR click = SetTimer(nullptr, 0, 300, ClickNext);
    EXPECT_EQ(host.ShowDialog(3), "NEXT");
    KillTimer(nullptr, click);
    EXPECT_EQ(g_unbuiltWhenClicked, 1u) << "one page was built while the first waited";
    HWND second = FindWindowA("TPoolTemplate", "LazyTwo page");
    ASSERT_NE(second, nullptr) << "the next line's page";
    EXPECT_FALSE(IsWindowVisible(second));
    RECT firstRect{}, secondRect{};
    GetWindowRect(FindWindowA("TPoolTemplate", "LazyOne page"), &firstRect);
    GetWindowRect(second, &secondRect);
    EXPECT_TRUE(EqualRect(&firstRect, &secondRect)) << "built ahead where the page on screen stood";
    EXPECT_EQ(FindWindowA("TPoolTemplate", "LazyThree page"), nullptr);

    host.ShowDialogModeless(7);
    EXPECT_TRUE(IsWindowVisible(second)) << "the page built ahead is the one shown";
    host.HideDialog();
    g_waitingHost = nullptr;
    for (const char* name : {"LazyOne", "LazyTwo", "LazyThree"})
        DeleteFileA((folder + name + ".dfm").c_str());
    RemoveDirectoryA(folder.c_str());
}

// Pictures as form files hold them, encoded here by the system's imaging component: an 8x8
// picture, red on the left, transparent (or, for JPEG, blue) on the right.
std::string Encoded(const GUID& container, bool alpha)
{
    IWICImagingFactory* factory = nullptr;
    IStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    std::string bytes;
    std::vector<BYTE> pixels(8 * 8 * 4);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            BYTE* p = &pixels[static_cast<std::size_t>((y * 8 + x) * 4)];
            const bool left = x < 4;
            p[0] = left ? 0 : 255; // B
            p[1] = 0;
            p[2] = left ? 255 : 0; // R
            p[3] = left || !alpha ? 255 : 0;
        }
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) &&
        SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
        SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(frame->SetSize(8, 8))) {
        WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
        frame->SetPixelFormat(&format);
        std::vector<BYTE> written = pixels;
        UINT bytesPerPixel = 4;
        if (format == GUID_WICPixelFormat24bppBGR) {
            written.clear();
            bytesPerPixel = 3;
            for (std::size_t i = 0; i < pixels.size(); i += 4)
                written.insert(written.end(), pixels.begin() + static_cast<long>(i),
                               pixels.begin() + static_cast<long>(i) + 3);
        }
        if (SUCCEEDED(frame->WritePixels(8, 8 * bytesPerPixel, static_cast<UINT>(written.size()),
                                         written.data())) &&
            SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit())) {
            HGLOBAL memory = nullptr;
            GetHGlobalFromStream(stream, &memory);
            STATSTG stat{};
            stream->Stat(&stat, STATFLAG_NONAME);
            const char* data = static_cast<const char*>(GlobalLock(memory));
            bytes.assign(data, static_cast<std::size_t>(stat.cbSize.QuadPart));
            GlobalUnlock(memory);
        }
    }
    for (IUnknown* object : std::initializer_list<IUnknown*>{frame, encoder, stream, factory})
        if (object)
            object->Release();
    return bytes;
}

// An icon file with one 8x8 32-bit image of the same picture.
std::string Icon()
{
    std::string icon;
    const auto put = [&](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            icon += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    const std::uint32_t image = 40 + 8 * 8 * 4 + 8 * 4;
    put(0, 2), put(1, 2), put(1, 2);                          // icon directory, one image
    put(8, 1), put(8, 1), put(0, 1), put(0, 1);               // 8x8, no palette
    put(1, 2), put(32, 2), put(image, 4), put(22, 4);         // planes, bits, size, offset
    put(40, 4), put(8, 4), put(16, 4), put(1, 2), put(32, 2); // header: height doubled
    for (int i = 0; i < 6; ++i)
        put(0, 4);
    for (int y = 0; y < 8; ++y) // bottom-up rows
        for (int x = 0; x < 8; ++x)
            put(x < 4 ? 0xFFFF0000u : 0x00000000u, 4);
    for (int y = 0; y < 8; ++y)
        put(0, 4); // the mask: the alpha channel decides
    return icon;
}

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 32 == 0)
            hex += "\n    ";
        const auto byte = static_cast<unsigned char>(bytes[i]);
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

std::string Sized(const std::string& file)
{
    const auto size = static_cast<std::uint32_t>(file.size());
    return std::string(reinterpret_cast<const char*>(&size), 4) + file;
}

TEST(Dialogs, ImagesShowIconPngAndJpegPictures)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const std::string png = Encoded(GUID_ContainerFormatPng, true);
    const std::string jpeg = Encoded(GUID_ContainerFormatJpeg, false);
    ASSERT_FALSE(png.empty());
    ASSERT_FALSE(jpeg.empty());
    struct Case {
        const char* what;
        std::string data; // Picture.Data: class name, then the picture
        bool shown;
        COLORREF right; // the right half over a green control
    };
    const std::vector<Case> cases = {
        {"PNG", std::string("\x09TPngImage") + png, true, RGB(0, 255, 0)},
        {"JPEG", std::string("\x0ATJPEGImage") + Sized(jpeg), true, RGB(0, 0, 255)},
        {"icon", std::string("\x05TIcon") + Icon(), true, RGB(0, 255, 0)},
        {"truncated PNG", std::string("\x09TPngImage") + png.substr(0, png.size() / 2), false, 0},
        {"unknown bytes", std::string("\x08TUnknown") + "not a picture", false, 0},
        {"size beyond the data", std::string("\x0ATJPEGImage") + Sized(jpeg).substr(0, 40), false,
         0},
    };
    for (const Case& c : cases) {
        const std::string form = "object Pic: TPoolTemplate\n  ClientWidth = 100\n"
                                 "  ClientHeight = 100\n  object Image1: TImage\n"
                                 "    Left = 0\n    Top = 0\n    Width = 8\n    Height = 8\n"
                                 "    Color = clLime\n    Picture.Data = {" +
                                 Hex(c.data) + "}\n  end\nend\n";
        TPoolTemplate dialog("Pic.dfm", TDialogModel::FromForm(LoadForm(form)), {});
        HWND image = FindWindowExA(dialog.Window(), nullptr, "Static", nullptr);
        ASSERT_TRUE(image) << c.what;
        auto* bitmap =
            reinterpret_cast<HBITMAP>(SendMessageA(image, STM_GETIMAGE, IMAGE_BITMAP, 0));
        EXPECT_EQ(bitmap != nullptr, c.shown) << c.what;
        if (!bitmap || !c.shown)
            continue;
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        const auto close = [](COLORREF a, COLORREF b) {
            return std::abs(GetRValue(a) - GetRValue(b)) < 40 &&
                   std::abs(GetGValue(a) - GetGValue(b)) < 40 &&
                   std::abs(GetBValue(a) - GetBValue(b)) < 40;
        };
        EXPECT_TRUE(close(GetPixel(dc, 1, 4), RGB(255, 0, 0))) << c.what << " left";
        EXPECT_TRUE(close(GetPixel(dc, 6, 4), c.right)) << c.what << " right";
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    CoUninitialize();
}

// The file, folder and drive controls list a folder of the machine and write what the user
// picks; a folder control with Tag 1 fills the target edits as Browse does.
TEST(Dialogs, FolderControlsListAndWriteTheChoice)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "ovd-folders-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "Sub").c_str(), nullptr);
    for (const char* file : {"b.txt", "a.txt", "c.log", "Sub\\d.log"}) {
        HANDLE created = CreateFileA((folder + file).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        CloseHandle(created);
    }
    Variables().ClearVariables();
    DefineVariable("PICKED", folder, "Initialization");
    DefineVariable("FOLDER", folder, "Initialization");
    // The browse root (the target's first existing folder) is the test folder: the Tag 1
    // folder list opens it.
    DefineVariable("TARGETDIR", folder + "No Such Place\\App\\", "Initialization");
    const std::string form = R"(object Folders: TPoolTemplate
  ClientWidth = 600
  ClientHeight = 400
  object Files: TFileListBox
    Left = 0
    Top = 0
    Width = 150
    Height = 100
    Hint = 'PICKED'
    Mask = '*.txt'
  end
  object Dirs: TDirectoryListBox
    Left = 150
    Top = 0
    Width = 150
    Height = 100
    Hint = 'FOLDER'
    Tag = 1
    FileList = Files
    DirLabel = Shown
  end
  object Drives: TDriveComboBox
    Left = 300
    Top = 0
    Width = 150
    Height = 21
    Hint = 'FOLDER'
    DirList = Dirs
  end
  object Filters: TFilterComboBox
    Left = 450
    Top = 0
    Width = 150
    Height = 21
    Filter = 'Text files|*.txt|All files|*.*'
    FileList = Files
  end
  object Shown: TLabel
    Left = 300
    Top = 350
    Width = 300
    Height = 13
  end
  object Tree: TPTShellTree
    Left = 0
    Top = 100
    Width = 300
    Height = 200
    Hint = 'FOLDER'
  end
  object List: TPTShellList
    Left = 300
    Top = 100
    Width = 300
    Height = 200
    Hint = 'FOLDER'
  end
  object Target: TEdit
    Left = 0
    Top = 320
    Width = 300
    Height = 21
    Hint = 'TARGETDIR'
    Tag = 2
  end
end
)";
    TPoolTemplate dialog("Folders.dfm", TDialogModel::FromForm(LoadForm(form)), {});
    dialog.Prepare();
    HWND window = dialog.Window();
    const auto child = [&](const char* cls, int nth) {
        HWND found = nullptr;
        for (int i = 0; i <= nth; ++i)
            found = FindWindowExA(window, found, cls, nullptr);
        return found;
    };
    const auto listText = [](HWND list, int item) {
        char text[260] = {};
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text));
        return std::string(text);
    };
    HWND files = child("ListBox", 0);
    HWND dirs = child("ListBox", 1);
    ASSERT_TRUE(files && dirs);
    ASSERT_EQ(SendMessageA(files, LB_GETCOUNT, 0, 0), 2) << "the mask keeps the .txt files";
    EXPECT_EQ(listText(files, 0), "a.txt");
    EXPECT_EQ(listText(files, 1), "b.txt");
    const LRESULT open = SendMessageA(dirs, LB_GETCURSEL, 0, 0);
    EXPECT_EQ(listText(dirs, static_cast<int>(open)).find_first_not_of(' '),
              listText(dirs, static_cast<int>(open)).find("ovd-folders-"))
        << "the open folder is selected";
    const LRESULT count = SendMessageA(dirs, LB_GETCOUNT, 0, 0);
    EXPECT_NE(listText(dirs, static_cast<int>(count - 1)).find("Sub"), std::string::npos);
    HWND drives = child("ComboBox", 0);
    HWND filters = child("ComboBox", 1);
    char text[260] = {};
    SendMessageA(drives, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::string(text).substr(0, 2),
              std::string(1, static_cast<char>(std::tolower(folder[0]))) + ":");
    EXPECT_EQ(SendMessageA(filters, CB_GETCOUNT, 0, 0), 2);
    HWND list = child("SysListView32", 0);
    ASSERT_TRUE(list);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 4) << "Sub and the three files";
    HWND tree = child("SysTreeView32", 0);
    ASSERT_TRUE(tree);
    TVITEMA node{};
    node.mask = TVIF_TEXT;
    node.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    node.pszText = text;
    node.cchTextMax = sizeof text;
    ASSERT_TRUE(SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&node)));
    EXPECT_EQ(std::string(text).rfind("ovd-folders-", 0), 0u) << "the open folder's node";

    // Picking a file writes its path; picking Sub in the Tag 1 folder list writes the folder
    // and puts it, with the target's tail, into the Tag 2 edit.
    SendMessageA(files, LB_SETCURSEL, 1, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(files), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(files));
    EXPECT_EQ(GetVariable("PICKED"), folder + "b.txt");
    SendMessageA(dirs, LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(dirs), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(dirs));
    EXPECT_EQ(GetVariable("FOLDER"), folder + "Sub\\");
    EXPECT_EQ(GetVariable("TARGETDIR"), folder + "Sub\\No Such Place\\App\\");

    // Linked controls: the filter combo gives the file list its mask, the directory list
    // opens its folder in the file list and its label, the drive combo opens the drive.
    const auto labelText = [&] {
        char caption[MAX_PATH] = {};
        GetWindowTextA(child("Static", 0), caption, sizeof caption);
        return std::string(caption);
    };
    EXPECT_EQ(labelText(), folder.substr(0, folder.size() - 1));
    SendMessageA(filters, CB_SETCURSEL, 1, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(filters), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(filters));
    EXPECT_EQ(SendMessageA(files, LB_GETCOUNT, 0, 0), 3) << "all files";
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(dirs), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(dirs));
    ASSERT_EQ(SendMessageA(files, LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(listText(files, 0), "d.log");
    EXPECT_EQ(labelText(), folder + "Sub");
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(drives), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(drives));
    EXPECT_EQ(labelText(), folder.substr(0, 3)) << "the drive's root";

    DeleteFileA((folder + "Sub\\d.log").c_str());
    for (const char* file : {"a.txt", "b.txt", "c.log"})
        DeleteFileA((folder + file).c_str());
    RemoveDirectoryA((folder + "Sub").c_str());
    RemoveDirectoryA(folder.c_str());
}

// Without a renderer the HTML viewer shows its page's text, read-only; without a page, and
// for the Flash frame, nothing.
TEST(Dialogs, HtmlViewerShowsThePageTextAndFlashStaysEmpty)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "ovd-html-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string page = "<html><title>Demo</title><body><p>Hello &amp; welcome</p>"
                             "<script>alert(1)</script></body></html>";
    HANDLE file = CreateFileA((folder + "index.htm").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, page.data(), static_cast<DWORD>(page.size()), &written, nullptr);
    CloseHandle(file);
    Variables().ClearVariables();
    const std::string form = "object Web: TPoolTemplate\n  ClientWidth = 300\n"
                             "  ClientHeight = 200\n"
                             "  object Viewer: THTMLViewer\n    Width = 300\n    Height = 100\n"
                             "    Tag = 1\n  end\n"
                             "  object Plain: THTMLViewer\n    Top = 100\n    Width = 300\n"
                             "    Height = 50\n  end\n"
                             "  object Movie: TFlashFrame\n    Top = 150\n    Width = 300\n"
                             "    Height = 50\n    Tag = 1\n  end\nend\n";
    TPoolTemplate dialog(folder + "Web.dfm", TDialogModel::FromForm(LoadForm(form)), {});
    EXPECT_NO_THROW(dialog.Prepare());
    HWND viewer = FindWindowExA(dialog.Window(), nullptr, "Edit", nullptr);
    ASSERT_TRUE(viewer);
    EXPECT_EQ(TextOf(viewer), "Demo\r\n\r\nHello & welcome");
    EXPECT_TRUE(GetWindowLongA(viewer, GWL_STYLE) & ES_READONLY);
    HWND plain = FindWindowExA(dialog.Window(), viewer, "Edit", nullptr);
    ASSERT_TRUE(plain);
    EXPECT_EQ(TextOf(plain), "") << "no Tag 1, no page";
    DeleteFileA((folder + "index.htm").c_str());
    RemoveDirectoryA(folder.c_str());
}

// A sizeable form resized by the user: the anchored and aligned controls follow.
TEST(Dialogs, ResizedFormMovesAnchoredControls)
{
    Variables().ClearVariables();
    const char* form = R"(object Sizes: TPoolTemplate
  BorderStyle = bsSizeable
  ClientWidth = 300
  ClientHeight = 200
  PixelsPerInch = 96
  object Footer: TPanel
    Top = 160
    Width = 300
    Height = 40
    Align = alBottom
    object Done: TButton
      Left = 215
      Top = 8
      Width = 75
      Height = 25
      Anchors = [akRight, akBottom]
      Caption = 'Done'
    end
  end
  object Field: TEdit
    Left = 10
    Top = 10
    Width = 280
    Height = 21
    Anchors = [akLeft, akTop, akRight]
  end
end
)";
    TPoolTemplate dialog("Sizes.dfm", TDialogModel::FromForm(LoadForm(form)), {});
    HWND window = dialog.Window();
    HWND done = FindWindowExA(window, nullptr, "Button", "Done");
    HWND name = FindWindowExA(window, nullptr, "Edit", nullptr);
    ASSERT_TRUE(done && name);
    const auto rectOf = [&](HWND control) {
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    RECT client;
    GetClientRect(window, &client);
    const RECT doneBefore = rectOf(done);
    const RECT nameBefore = rectOf(name);
    EXPECT_EQ(client.right - doneBefore.right, nameBefore.left) << "10 units from the right";
    // 100 units wider and 50 higher, in this screen's pixels.
    HDC screen = GetDC(nullptr);
    const int dx = MulDiv(100, GetDeviceCaps(screen, LOGPIXELSX), 96);
    const int dy = MulDiv(50, GetDeviceCaps(screen, LOGPIXELSY), 96);
    ReleaseDC(nullptr, screen);
    RECT frame;
    GetWindowRect(window, &frame);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + dx,
                 frame.bottom - frame.top + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT doneAfter = rectOf(done);
    const RECT nameAfter = rectOf(name);
    EXPECT_NEAR(doneAfter.left - doneBefore.left, dx, 1);
    EXPECT_NEAR(doneAfter.top - doneBefore.top, dy, 1);
    EXPECT_EQ(doneAfter.right - doneAfter.left, doneBefore.right - doneBefore.left);
    EXPECT_EQ(nameAfter.left, nameBefore.left);
    EXPECT_NEAR((nameAfter.right - nameAfter.left) - (nameBefore.right - nameBefore.left), dx, 1);
}

// A top bar hidden by a rule gives its room to the bar below it, and takes it back.
TEST(Dialogs, HiddenAlignedBarGivesUpItsRoom)
{
    Variables().ClearVariables();
    const char* form = R"(object Bars: TPoolTemplate
  ClientWidth = 300
  ClientHeight = 200
  PixelsPerInch = 96
  object Banner: TPanel
    Top = 0
    Width = 300
    Height = 30
    Align = alTop
    Caption = 'Banner'
  end
  object Header: TPanel
    Top = 30
    Width = 300
    Height = 20
    Align = alTop
    Caption = 'Header'
  end
end
)";
    TPoolTemplate dialog("Bars.dfm", TDialogModel::FromForm(LoadForm(form)), {});
    HWND header = FindWindowExA(dialog.Window(), nullptr, "Static", "Header");
    ASSERT_TRUE(header);
    const auto top = [&] {
        RECT rect;
        GetWindowRect(header, &rect);
        MapWindowPoints(nullptr, dialog.Window(), reinterpret_cast<POINT*>(&rect), 2);
        return rect.top;
    };
    const LONG below = top();
    EXPECT_GT(below, 0);
    EXPECT_TRUE(dialog.Model().Write("Banner", "Visible", "False"));
    EXPECT_EQ(top(), 0);
    EXPECT_TRUE(dialog.Model().Write("Banner", "Visible", "True"));
    EXPECT_EQ(top(), below);
}

// Controls on a page control's sheets show only on the active page, and those of a hidden
// panel not at all.
TEST(Dialogs, OnlyTheActivePageAndVisibleHoldersShowTheirControls)
{
    Variables().ClearVariables();
    const char* form = R"(object Paged: TPoolTemplate
  ClientWidth = 300
  ClientHeight = 200
  object Pages: TPageControl
    Width = 300
    Height = 150
    ActivePage = Second
    object First: TTabSheet
      Caption = 'First'
      object OnFirst: TEdit
        Width = 100
        Height = 21
      end
    end
    object Second: TTabSheet
      Caption = 'Second'
      object OnSecond: TEdit
        Width = 100
        Height = 21
      end
    end
  end
  object Holder: TPanel
    Top = 160
    Width = 300
    Height = 40
    Visible = False
    object Inside: TButton
      Width = 75
      Height = 25
      Caption = 'Inside'
    end
  end
end
)";
    TPoolTemplate dialog("Paged.dfm", TDialogModel::FromForm(LoadForm(form)), {});
    HWND window = dialog.Window();
    ShowWindow(window, SW_SHOW);
    HWND pages = FindWindowExA(window, nullptr, "SysTabControl32", nullptr);
    HWND onFirst = FindWindowExA(window, nullptr, "Edit", nullptr);
    HWND onSecond = FindWindowExA(window, onFirst, "Edit", nullptr);
    HWND inside = FindWindowExA(window, nullptr, "Button", "Inside");
    ASSERT_TRUE(pages && onFirst && onSecond && inside);
    EXPECT_EQ(SendMessageA(pages, TCM_GETCURSEL, 0, 0), 1) << "ActivePage";
    EXPECT_FALSE(IsWindowVisible(onFirst));
    EXPECT_TRUE(IsWindowVisible(onSecond));
    EXPECT_FALSE(IsWindowVisible(inside)) << "its panel is hidden";

    // The user picks the first tab.
    SendMessageA(pages, TCM_SETCURSEL, 0, 0);
    NMHDR change{pages, static_cast<UINT_PTR>(GetDlgCtrlID(pages)),
                 static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(window, WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    EXPECT_TRUE(IsWindowVisible(onFirst));
    EXPECT_FALSE(IsWindowVisible(onSecond));

    // A rule shows the panel: its button comes with it.
    EXPECT_TRUE(dialog.Model().Write("Holder", "Visible", "True"));
    EXPECT_TRUE(IsWindowVisible(inside));
    ShowWindow(window, SW_HIDE);
}

} // namespace
} // namespace ovd
