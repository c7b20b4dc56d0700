// What the Windows end-to-end test reads through the Win32 API, in the same
// Wine prefix as the program under test. Results go to a file, in UTF-8, one
// fact a line.
//
//   winprobe <out> windows          visible top-level windows: handle, process,
//                                   window and client rectangles, styles, owner,
//                                   title
//   winprobe <out> clip             the clip rectangle in force and the screen
//   winprobe <out> clipboard        the clipboard's text
//   winprobe <out> version <exe>    version record, icon and manifest of exe
//   winprobe                        stands in for a program the test expects
//                                   to be started: appends how it was started
//                                   to started.txt beside itself
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wchar_t* w, int n = -1)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, w, n, nullptr, 0, nullptr, nullptr);
    std::string s(size > 0 ? size : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, n, s.data(), size, nullptr, nullptr);
    if (n < 0 && !s.empty())
        s.pop_back(); // the terminating NUL
    return s;
}

void printRect(FILE* out, const char* name, const RECT& r)
{
    std::fprintf(out, "%s=%ld,%ld,%ld,%ld", name, r.left, r.top, r.right, r.bottom);
}

BOOL CALLBACK listWindow(HWND h, LPARAM param)
{
    if (!IsWindowVisible(h))
        return TRUE;
    auto* out = reinterpret_cast<FILE*>(param);
    wchar_t title[512] = {};
    InternalGetWindowText(h, title, 512); // sends nothing: a busy program cannot block it
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    RECT outer{};
    GetWindowRect(h, &outer);
    RECT client{};
    GetClientRect(h, &client);
    MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&client), 2);
    std::fprintf(out, "window hwnd=%llx pid=%lu ",
                 static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(h)), pid);
    printRect(out, "rect", outer);
    std::fputc(' ', out);
    printRect(out, "client", client);
    std::fprintf(
        out, " style=%lx exstyle=%lx owner=%llx",
        static_cast<unsigned long>(GetWindowLongPtrW(h, GWL_STYLE)),
        static_cast<unsigned long>(GetWindowLongPtrW(h, GWL_EXSTYLE)),
        static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(GetWindow(h, GW_OWNER))));
    std::fprintf(out, " title=%s\n", utf8(title).c_str());
    return TRUE;
}

void clip(FILE* out)
{
    RECT r{};
    GetClipCursor(&r);
    printRect(out, "clip", r);
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const RECT screen{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    std::fputc('\n', out);
    printRect(out, "screen", screen);
    std::fputc('\n', out);
}

void clipboard(FILE* out)
{
    if (!OpenClipboard(nullptr))
        return;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(h))) {
            std::fputs(utf8(text).c_str(), out);
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
}

void version(FILE* out, const wchar_t* exe)
{
    const DWORD size = GetFileVersionInfoSizeW(exe, nullptr);
    std::string info(size, '\0');
    if (size && GetFileVersionInfoW(exe, 0, size, info.data())) {
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT n = 0;
        if (VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &n) && fixed)
            std::fprintf(out, "fixed=%u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS),
                         LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                         LOWORD(fixed->dwFileVersionLS));
        for (const wchar_t* name : {L"FileVersion", L"ProductVersion", L"ProductName",
                                    L"CompanyName", L"LegalCopyright"}) {
            const std::wstring key = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
            wchar_t* value = nullptr;
            if (VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &n))
                std::fprintf(out, "%s=%s\n", utf8(name).c_str(), utf8(value).c_str());
        }
    }
    std::fprintf(out, "icons=%u\n", ExtractIconExW(exe, -1, nullptr, nullptr, 0));
    if (HMODULE m = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        if (HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
            const auto* bytes = static_cast<const char*>(LockResource(LoadResource(m, r)));
            std::string manifest(bytes, SizeofResource(m, r));
            for (char& c : manifest)
                if (c == '\r' || c == '\n')
                    c = ' ';
            std::fprintf(out, "manifest=%s\n", manifest.c_str());
        }
        FreeLibrary(m);
    }
}

// Started by the program under test: notes the show state it was asked for.
void recordStart()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring log(path, n);
    log = log.substr(0, log.find_last_of(L'\\') + 1) + L"started.txt";
    STARTUPINFOW si{};
    GetStartupInfoW(&si);
    if (FILE* out = _wfopen(log.c_str(), L"a")) {
        std::fprintf(out, "started show=%d flags=%lu\n",
                     (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : -1, si.dwFlags);
        std::fclose(out);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        recordStart();
        return 0;
    }
    FILE* out = _wfopen(argv[1], L"w");
    if (!out)
        return 2;
    const std::wstring command = argv[2];
    int status = 0;
    if (command == L"windows")
        EnumWindows(listWindow, reinterpret_cast<LPARAM>(out));
    else if (command == L"clip")
        clip(out);
    else if (command == L"clipboard")
        clipboard(out);
    else if (command == L"version" && argc > 3)
        version(out, argv[3]);
    else
        status = 2;
    std::fclose(out);
    return status;
}
