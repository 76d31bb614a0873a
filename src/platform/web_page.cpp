#include "platform/web_page.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#include <emscripten/html5.h>
#endif

namespace platform {

#ifdef __EMSCRIPTEN__

// clang-format off
EM_JS(int, dw_page_message, (const char* caption, const char* text, int error), {
    if (!Module.dwMessage) return 0;
    Module.dwMessage(UTF8ToString(caption), UTF8ToString(text), error !== 0);
    return 1;
});
EM_JS(int, dw_page_open, (const char* url), {
    return Module.dwOpenUrl && Module.dwOpenUrl(UTF8ToString(url)) ? 1 : 0;
});
EM_JS(void, dw_page_persist, (), {
    if (Module.dwPersist) Module.dwPersist();
});
EM_JS(int, dw_page_storage_problem, (char* out, int size), {
    const text = Module.dwTakeStorageProblem ? Module.dwTakeStorageProblem() : '';
    if (!text) return 0;
    stringToUTF8(text, out, size);
    return 1;
});
EM_JS(void, dw_page_ended, (int status), {
    if (Module.dwEnded) Module.dwEnded(status);
});
// clang-format on

bool ShowOnPage(const std::string& caption, const std::string& text, bool error) {
    return dw_page_message(caption.c_str(), text.c_str(), error ? 1 : 0) != 0;
}

bool OpenOnPage(const std::string& url) { return !url.empty() && dw_page_open(url.c_str()) != 0; }

namespace {
bool userFilesChanged = false;
}  // namespace

void UserFilesChanged() { userFilesChanged = true; }

void SaveUserFiles() {
    if (!userFilesChanged) return;
    userFilesChanged = false;
    dw_page_persist();
}

bool PointerLockLost() {
    static bool locked = false;
    EmscriptenPointerlockChangeEvent status{};
    if (emscripten_get_pointerlock_status(&status) != EMSCRIPTEN_RESULT_SUCCESS) return false;
    const bool was = locked;
    locked = status.isActive != 0;
    return was && !locked;
}

void ProgramEnded(int status) { dw_page_ended(status); }

std::string TakeStorageProblem() {
    char text[512] = {};
    if (!dw_page_storage_problem(text, static_cast<int>(sizeof text))) return {};
    return text;
}

#else

bool ShowOnPage(const std::string&, const std::string&, bool) { return false; }
bool OpenOnPage(const std::string&) { return false; }
void UserFilesChanged() {}
void SaveUserFiles() {}
bool PointerLockLost() { return false; }
void ProgramEnded(int) {}
std::string TakeStorageProblem() { return {}; }

#endif

}  // namespace platform
