// Duskwhirl 2 in a web browser: the page (data/web/page.js) calls main once
// with the command line. A window runs one frame per animation frame of the
// browser; a headless run (a replay for its report) runs to its end at once.
#include <emscripten.h>

#include <memory>
#include <string>

#include "app/program.h"
#include "app/report.h"
#include "app/session.h"
#include "core/game_context.h"
#include "core/log.h"
#include "platform/web_page.h"

namespace {

std::unique_ptr<dw::Program> program;
bool running = false;
std::string report;
int endStatus = 0;

// One frame of the program, the desktop's StepFrame; once the run is over
// the program is gone, endStatus final, and false comes back.
bool StepOnce() {
    if (program->StepFrame()) return true;
    endStatus = program->exitStatus();
    program.reset();
    return false;
}

// The browser's animation frame: one frame, the user files kept in the
// page's storage; at the end the loop stops and the page is told. A display
// faster than 100 Hz calls before the next frame may run: that call is
// skipped, as the desktop sleeps, so that no step of play is under 10 ms.
void AnimationFrame() {
    if (program->MsUntilNextFrame() > 0) return;
    const bool more = StepOnce();
    platform::SaveUserFiles();
    // The page's storage failed: the log says so, as a failed save does on
    // the desktop (after the last frame the program is gone: the console).
    if (const std::string problem = platform::TakeStorageProblem(); !problem.empty()) {
        const std::string line = "settings and high scores will not be saved: " + problem;
        dw::Log* log = program ? program->session().context().log : nullptr;
        if (log)
            log->WriteLine(line);
        else
            emscripten_log(EM_LOG_WARN, "%s", line.c_str());
    }
    if (more) return;
    running = false;
    emscripten_cancel_main_loop();
    platform::ProgramEnded(endStatus);
}

}  // namespace

// The state of the running game as --report writes it; empty when none runs.
extern "C" EMSCRIPTEN_KEEPALIVE const char* dw_web_report() {
    report.clear();
    if (program && running) {
        dw::GameContext& c = program->session().context();
        report = dw::BuildReport(c, c.objectList, program->frames(), dw::RendererCounters{});
    }
    return report.c_str();
}

// A demo file dropped on the page (written to `path` in the page's file
// system): shown as soon as the main menu is up, then the menu again. 0 when
// no game runs or this run shows no demos.
extern "C" EMSCRIPTEN_KEEPALIVE int dw_web_watch(const char* path) {
    return program && running && path && program->Watch(path) ? 1 : 0;
}

// For the browser test of the high-score table: the game in play ends at
// once with this score, as if the last ship were lost. Nothing else calls it.
extern "C" EMSCRIPTEN_KEEPALIVE void dw_web_end_game_with_score(unsigned score) {
    if (!program || !running) return;
    dw::GameContext& c = program->session().context();
    if (c.currentScreen != dw::Screen::Game) return;
    c.endGameScore = score;
    c.endGameRequest = 1;  // the Game table ends the game with it
}

int main(int argc, char** argv) {
    int status = 0;
    program = dw::Program::FromArguments(argc, argv, status);
    if (!program) return status;
    if (!program->plan().windowed) {
        // A headless run (a replay for its report) has no picture to keep
        // pace with: the page waits for main to return at its end.
        endStatus = program->RunToEnd();
        program.reset();
        return endStatus;
    }
    running = true;
    // The browser paces the frames; main never returns.
    emscripten_set_main_loop(AnimationFrame, 0, 1);
    return 0;
}
