#pragma once
// The command line of duskwhirl-scores.
#include <cstdint>
#include <string>
#include <vector>

#include "server/sandbox.h"
#include "server/service.h"

namespace dw::server {

struct ServerOptions {
    std::string host = "127.0.0.1";
    int port = 8090;
    std::string db = "sqlite:scores.db";
    std::string dataFile;  // the game data for the replays ("": the game's own search)
    std::string scratch;   // where replays get their empty directories ("": $TMPDIR, else /tmp)
    std::string webRoot;   // served at /play/ when given (the browser build)
    ServiceOptions service;
    ChildLimits limits;
    bool verify = false;  // the verifier child (internal)
    bool help = false;
    bool version = false;
};

// False with a one-line reason in `error` on a mistake.
bool ParseServerOptions(const std::vector<std::string>& args, ServerOptions& out, std::string& error);
// The --help text: every option, one line each.
std::string ServerUsage();

}  // namespace dw::server
