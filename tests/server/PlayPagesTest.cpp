// The game's page as the service hands it to browsers: isolated, compressed
// where it can be, revalidated by content, and nothing outside its folder,
// however the path is spelled (raw requests: no client tidies them first).
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include "server/PlayPages.h"
#include "server/PublisherService.h"
#include "support/TempDir.h"

namespace {

class PlayPages : public ::testing::Test {
protected:
    PlayPages() {
        testsupport::writeFile(dir.path() / "play" / "index.html", "<!doctype html>page");
        testsupport::writeFile(dir.path() / "play" / "game.js", "plain");
        testsupport::writeFile(dir.path() / "play" / "game.js.gz", "squeezed");
        testsupport::writeFile(dir.path() / "secret.txt", "not for browsers");
        publisher::Options o;
        o.port = 0;
        o.dataDir = dir / "data";
        o.playDir = dir / "play";
        o.log = [](const std::string&) {};
        service = std::make_unique<publisher::PublisherService>(o);
        EXPECT_TRUE(service->start()) << service->error();
    }

    // The whole answer to a request sent byte for byte as given.
    std::string raw(const std::string& target, const std::string& headers = "") {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(service->port()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "Connection: close\r\n\r\n";
        EXPECT_EQ(::send(fd, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
        std::string answer;
        char buffer[4096];
        for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, static_cast<size_t>(n));
        ::close(fd);
        return answer;
    }
    static std::string header(const std::string& answer, const std::string& name) {
        const auto at = answer.find("\r\n" + name + ": ");
        if (at == std::string::npos) return "";
        const auto start = at + name.size() + 4;
        return answer.substr(start, answer.find("\r\n", start) - start);
    }
    static std::string body(const std::string& answer) { return answer.substr(answer.find("\r\n\r\n") + 4); }

    testsupport::TempDir dir;
    std::unique_ptr<publisher::PublisherService> service;
};

}  // namespace

TEST_F(PlayPages, ThePageIsIsolatedCompressedAndRevalidated) {
    const std::string page = raw("/play/");
    EXPECT_EQ(page.substr(0, 12), "HTTP/1.1 200");
    EXPECT_EQ(body(page), "<!doctype html>page");
    EXPECT_EQ(header(page, "Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(header(page, "Cross-Origin-Opener-Policy"), "same-origin");
    EXPECT_EQ(header(page, "Cross-Origin-Embedder-Policy"), "require-corp");
    EXPECT_EQ(header(page, "Cache-Control"), "no-cache");

    const std::string squeezed = raw("/play/game.js", "Accept-Encoding: gzip, br\r\n");
    EXPECT_EQ(header(squeezed, "Content-Encoding"), "gzip");
    EXPECT_EQ(body(squeezed), "squeezed");
    const std::string plain = raw("/play/game.js");
    EXPECT_EQ(header(plain, "Content-Encoding"), "");
    EXPECT_EQ(body(plain), "plain");
    EXPECT_NE(header(plain, "ETag"), header(squeezed, "ETag"));

    const std::string again = raw("/play/game.js", "If-None-Match: " + header(plain, "ETag") + "\r\n");
    EXPECT_EQ(again.substr(0, 12), "HTTP/1.1 304");
    EXPECT_EQ(body(again), "");
}

TEST_F(PlayPages, NothingOutsideTheFolderWhateverTheSpelling) {
    for (const std::string target : {"/play/../secret.txt", "/play/%2e%2e/secret.txt", "/play/..%2fsecret.txt",
                                     "/play/%2E%2E%2Fsecret.txt", "/play//etc/passwd", "/play/%2fetc%2fpasswd",
                                     "/play/.%2e/secret.txt", "/play/game.js%00.html", "/play/sub/../../secret.txt"}) {
        SCOPED_TRACE(target);
        const std::string answer = raw(target);
        EXPECT_EQ(body(answer).find("not for browsers"), std::string::npos);
        EXPECT_EQ(body(answer).find("root:"), std::string::npos);
        EXPECT_NE(answer.substr(0, 12), "HTTP/1.1 200");
    }
    EXPECT_EQ(publisher::playFileName("bundle-tablet-2x.data"), "bundle-tablet-2x.data");
    EXPECT_EQ(publisher::playFileName(".hidden"), "");
}
