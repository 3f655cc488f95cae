// Winsock must come before windows.h, which the header includes.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "tests/browser/LocalHttpServer.h"

#include <algorithm>

namespace {

// A request head larger than this is answered 431 and dropped: the tests send small ones.
constexpr size_t kMaxRequestHead = 16 * 1024;

const char* ReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 404: return "Not Found";
    case 431: return "Request Header Fields Too Large";
    default: return "Status";
    }
}

bool SendAll(SOCKET socket, const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const int chunk = static_cast<int>(std::min<size_t>(bytes.size() - sent, 64 * 1024));
        const int result = send(socket, bytes.data() + sent, chunk, 0);
        if (result <= 0) return false;
        sent += static_cast<size_t>(result);
    }
    return true;
}

}  // namespace

LocalHttpServer::LocalHttpServer()
{
    WSADATA data = {};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    winsockStarted_ = true;

    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener_ == INVALID_SOCKET) return;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) return;
    if (listen(listener_, SOMAXCONN) != 0) return;
    int length = sizeof(address);
    if (getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
}

LocalHttpServer::~LocalHttpServer()
{
    // Closing the listening socket ends the blocked accept and with it the thread.
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    if (thread_.joinable()) thread_.join();
    if (winsockStarted_) WSACleanup();
}

std::string LocalHttpServer::Origin() const
{
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::wstring LocalHttpServer::Url(const std::string& path) const
{
    const std::string url = Origin() + path;
    return std::wstring(url.begin(), url.end());
}

void LocalHttpServer::ServePage(const std::string& path, const std::string& html)
{
    Serve(path, Response{200, "Content-Type: text/html; charset=utf-8\r\n", html});
}

void LocalHttpServer::Serve(const std::string& path, Response response)
{
    std::lock_guard<std::mutex> lock(mutex_);
    responses_[path] = std::move(response);
}

void LocalHttpServer::ServeRedirect(const std::string& path, int status, const std::string& location)
{
    Serve(path, Response{status, "Location: " + location + "\r\n", ""});
}

std::vector<std::string> LocalHttpServer::RequestLines() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requestLines_;
}

std::vector<std::string> LocalHttpServer::RequestPaths() const
{
    std::vector<std::string> paths;
    for (const std::string& line : RequestLines()) {
        const size_t first = line.find(' ');
        const size_t second = first == std::string::npos ? std::string::npos : line.find(' ', first + 1);
        paths.push_back(second == std::string::npos ? std::string() : line.substr(first + 1, second - first - 1));
    }
    return paths;
}

void LocalHttpServer::Run()
{
    for (;;) {
        const SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        Answer(client);
        shutdown(client, SD_SEND);
        closesocket(client);
    }
}

void LocalHttpServer::Answer(SOCKET client)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (head.size() > kMaxRequestHead) {
            SendAll(client, "HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            return;
        }
        const int received = recv(client, buffer, sizeof(buffer), 0);
        if (received <= 0) return;
        head.append(buffer, static_cast<size_t>(received));
    }
    const std::string requestLine = head.substr(0, head.find("\r\n"));

    Response response{404, "Content-Type: text/plain\r\n", "not found"};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requestLines_.push_back(requestLine);
        const size_t first = requestLine.find(' ');
        const size_t second = first == std::string::npos ? std::string::npos : requestLine.find(' ', first + 1);
        if (second != std::string::npos) {
            auto found = responses_.find(requestLine.substr(first + 1, second - first - 1));
            if (found != responses_.end()) response = found->second;
        }
    }
    std::string answer = "HTTP/1.1 " + std::to_string(response.status) + " " + ReasonPhrase(response.status) + "\r\n";
    answer += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    answer += "Connection: close\r\nCache-Control: no-store\r\n";
    answer += response.headers;
    answer += "\r\n";
    answer += response.body;
    SendAll(client, answer);
}
