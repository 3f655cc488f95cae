#pragma once
// A small HTTP server for the browser tests: listens on 127.0.0.1 at a port the system
// picks, answers each request from a table of paths (path and query as sent) and records
// every request line. One connection at a time, on its own thread, closed after the answer.
#include <windows.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LocalHttpServer {
public:
    struct Response {
        int status = 200;
        std::string headers;  // extra header lines, each ending in "\r\n"
        std::string body;
    };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    bool IsListening() const { return port_ != 0; }
    unsigned short Port() const { return port_; }
    // "http://127.0.0.1:PORT" followed by the path.
    std::wstring Url(const std::string& path) const;
    std::string Origin() const;

    // An HTML page; a path without an entry answers 404.
    void ServePage(const std::string& path, const std::string& html);
    void Serve(const std::string& path, Response response);
    void ServeRedirect(const std::string& path, int status, const std::string& location);

    // Request lines in arrival order, e.g. "GET /a?b=1 HTTP/1.1".
    std::vector<std::string> RequestLines() const;
    // Just the request targets of RequestLines().
    std::vector<std::string> RequestPaths() const;

private:
    void Run();
    void Answer(UINT_PTR client);

    bool winsockStarted_ = false;
    UINT_PTR listener_ = ~static_cast<UINT_PTR>(0);  // a SOCKET; winsock2.h stays out of the header
    unsigned short port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::map<std::string, Response> responses_;
    std::vector<std::string> requestLines_;
};
