#include "web_server.h"

#include <stdexcept>
#include <vector>

using namespace std::chrono_literals;

namespace {

std::vector<std::string> server_command(const std::string& folder, bool isolated)
{
    if (isolated)
        return {"python3", TEXTURES_SCRIPTS_DIR "/serve_web.py", folder, "0"};
    return {"python3", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", folder};
}

}

web_server::web_server(const std::string& folder, bool isolated)
    : server({.argv = server_command(folder, isolated),
              .environment = {{"PYTHONUNBUFFERED", "1"}},
              .discard_errors = true})
{
    // Both say where they listen on their first line.
    const std::optional<std::string> line = server.next_line(20s);
    const std::size_t start = line ? line->find("http://") : std::string::npos;
    if (start == std::string::npos)
        throw std::runtime_error("the web server for " + folder + " did not start");
    url = line->substr(start, line->find('/', start + 7) + 1 - start);
}
