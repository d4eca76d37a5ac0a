// The game's web page at /play/: the files the web build puts in one folder
// (the page, the game's module and worker, the profiles' bundles), served
// cross-origin isolated (the game's threads share its memory), compressed
// where the build left a ".gz" beside a file, and revalidated by a hash of
// their content so a warm cache downloads nothing.
#pragma once

#include <string>

namespace httplib {
class Server;
}

namespace publisher {

void servePlayPages(httplib::Server& server, const std::string& dir);

// The folder's name for a request's path after /play/, or "" when the path
// is not a plain file name of the folder (no folders, dot segments or
// encodings): the page's files all sit side by side.
std::string playFileName(const std::string& path);

}  // namespace publisher
