#include "TGrabMedia.h"

#include <urlmon.h>
#include <wininet.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "ComApartment.h"
#include "EngineMessages.h"
#include "FileUtil.h"
#include "Registry.h"
#include "WebMedia.h"
#include "WinHandles.h"
#include "WorkerProgress.h"

namespace ovd {
namespace {

constexpr char kAgent[] = "Mozilla/3.0 (compatible)";
// A resumed download starts this far before the end of the partial file: the last bytes
// written before an interruption may not have reached the disk whole.
constexpr std::uint64_t kResumeOverlap = 2048;
constexpr int kMaxRedirects = 10;
constexpr DWORD kTimeoutMs = 30000;

struct TInternetClose {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using UniqueInternet = std::unique_ptr<void, TInternetClose>;

struct TUrlParts {
    bool Secure = false;
    std::string Host;
    INTERNET_PORT Port = 0;
    std::string Path; // with the query
};

// Only http and https addresses are fetched.
std::optional<TUrlParts> HttpUrlParts(const std::string& url)
{
    char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    std::string path(url.size() + 1, '\0'), extra(url.size() + 1, '\0');
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    parts.lpszExtraInfo = extra.data();
    parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
        return std::nullopt;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return std::nullopt;
    TUrlParts result;
    result.Secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    result.Host.assign(host, parts.dwHostNameLength);
    result.Port = parts.nPort;
    result.Path.assign(path.data(), parts.dwUrlPathLength);
    result.Path.append(extra.data(), parts.dwExtraInfoLength);
    if (result.Path.empty())
        result.Path = "/";
    return result;
}

std::string Header(HINTERNET request, DWORD query)
{
    char buffer[2048];
    DWORD size = sizeof buffer;
    DWORD index = 0;
    if (!HttpQueryInfoA(request, query, buffer, &size, &index))
        return {};
    return std::string(buffer, size);
}

DWORD StatusCode(HINTERNET request)
{
    DWORD status = 0;
    DWORD size = sizeof status;
    DWORD index = 0;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        &index))
        return 0;
    return status;
}

std::optional<std::uint64_t> ContentLength(HINTERNET request)
{
    const std::string text = Header(request, HTTP_QUERY_CONTENT_LENGTH);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 18)
        return std::nullopt;
    return std::stoull(text);
}

// True when the file begins as every 7z archive does: only such a file is worth
// continuing (a server's error page saved in its place is not).
bool StartsLikeAnArchive(const std::string& path)
{
    static constexpr char kSignature[] = {'7', 'z', '\xBC', '\xAF', '\x27', '\x1C'};
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char head[sizeof kSignature] = {};
    DWORD read = 0;
    return file && ReadFile(file.get(), head, sizeof head, &read, nullptr) &&
           read == sizeof head && std::memcmp(head, kSignature, sizeof head) == 0;
}

std::string LastErrorText(const std::string& what)
{
    const DWORD code = GetLastError();
    return what + ": " +
           (code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST
                ? "WinINet error " + std::to_string(code)
                : SystemErrorText(code));
}

// One HTTP session: the agent, the proxy, the timeouts.
class THttpClient {
public:
    explicit THttpClient(const TProxySettings& proxy) : proxy_(proxy)
    {
        const std::string server =
            proxy.Server.empty() ? std::string()
                                 : proxy.Server + (proxy.Port.empty() ? "" : ":" + proxy.Port);
        internet_.reset(InternetOpenA(
            kAgent, server.empty() ? INTERNET_OPEN_TYPE_PRECONFIG : INTERNET_OPEN_TYPE_PROXY,
            server.empty() ? nullptr : server.c_str(), nullptr, 0));
        if (internet_) {
            for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                                 INTERNET_OPTION_SEND_TIMEOUT}) {
                DWORD value = kTimeoutMs;
                InternetSetOptionA(internet_.get(), option, &value, sizeof value);
            }
        }
    }
    bool Open() const { return internet_ != nullptr; }

    struct TResponse {
        UniqueInternet Connection, Request;
        DWORD Status = 0;
        std::string Url; // after redirects
    };

    // Sends `verb` for `url`, following redirects to http and https addresses; a reason
    // when no answer came.
    std::optional<TResponse> Send(const char* verb, std::string url, const std::string& headers,
                                  std::string& reason)
    {
        for (int hop = 0; hop <= kMaxRedirects; ++hop) {
            const std::optional<TUrlParts> parts = HttpUrlParts(url);
            if (!parts) {
                reason = hop == 0 ? url + " is not an http or https address"
                                  : "the server redirected to " + url +
                                        ", which is not an http or https address";
                return std::nullopt;
            }
            TResponse response;
            response.Url = url;
            response.Connection.reset(InternetConnectA(internet_.get(), parts->Host.c_str(),
                                                       parts->Port, nullptr, nullptr,
                                                       INTERNET_SERVICE_HTTP, 0, 0));
            if (!response.Connection) {
                reason = LastErrorText("cannot connect to " + parts->Host);
                return std::nullopt;
            }
            const DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD |
                                INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                                (parts->Secure ? INTERNET_FLAG_SECURE : 0);
            response.Request.reset(HttpOpenRequestA(response.Connection.get(), verb,
                                                    parts->Path.c_str(), "HTTP/1.0", nullptr,
                                                    nullptr, flags, 0));
            if (!response.Request) {
                reason = LastErrorText("cannot open a request for " + url);
                return std::nullopt;
            }
            if (!proxy_.User.empty()) {
                InternetSetOptionA(response.Request.get(), INTERNET_OPTION_PROXY_USERNAME,
                                   const_cast<char*>(proxy_.User.c_str()),
                                   static_cast<DWORD>(proxy_.User.size()));
                InternetSetOptionA(response.Request.get(), INTERNET_OPTION_PROXY_PASSWORD,
                                   const_cast<char*>(proxy_.Password.c_str()),
                                   static_cast<DWORD>(proxy_.Password.size()));
            }
            // A proxy that asks for its credentials is answered once with the user's.
            for (int attempt = 0; attempt < 2; ++attempt) {
                if (!HttpSendRequestA(response.Request.get(), headers.c_str(),
                                      static_cast<DWORD>(headers.size()), nullptr, 0)) {
                    reason = LastErrorText("no answer from " + url);
                    return std::nullopt;
                }
                response.Status = StatusCode(response.Request.get());
                if (response.Status != HTTP_STATUS_PROXY_AUTH_REQ || proxy_.User.empty())
                    break;
                DrainBody(response.Request.get());
            }
            const bool redirect = response.Status == 301 || response.Status == 302 ||
                                  response.Status == 303 || response.Status == 307 ||
                                  response.Status == 308;
            if (!redirect)
                return response;
            const std::string location = Header(response.Request.get(), HTTP_QUERY_LOCATION);
            if (location.empty()) {
                reason =
                    url + " answered " + std::to_string(response.Status) + " without a location";
                return std::nullopt;
            }
            char combined[INTERNET_MAX_URL_LENGTH];
            DWORD size = sizeof combined;
            if (!InternetCombineUrlA(url.c_str(), location.c_str(), combined, &size,
                                     ICU_NO_ENCODE)) {
                reason = "the server redirected to " + location + ", which is no address";
                return std::nullopt;
            }
            url.assign(combined, size);
        }
        reason = "too many redirects from " + url;
        return std::nullopt;
    }

private:
    static void DrainBody(HINTERNET request)
    {
        char buffer[4096];
        DWORD read = 0;
        for (int i = 0; i < 64 && InternetReadFile(request, buffer, sizeof buffer, &read) && read;
             ++i) {
        }
    }

    const TProxySettings& proxy_;
    UniqueInternet internet_;
};

// The lightweight downloader's reports: progress (a false answer aborts), and the answer of
// the server (status, announced length, where a redirect that was not followed pointed).
// Reference-counted on the heap: urlmon may hold it, and call it from its own threads,
// after the download call has returned (an abort); once detached it answers only "abort"
// and no longer reaches the worker.
class TBindCallback final : public IBindStatusCallback, public IHttpNegotiate {
public:
    explicit TBindCallback(std::function<bool(std::uint64_t, std::uint64_t)> progress)
        : progress_(std::move(progress))
    {
    }
    virtual ~TBindCallback() = default;

    struct TAnswer {
        DWORD Status = 0; // 0: no server answered
        std::optional<std::uint64_t> Length;
        std::string Location;
        bool Aborted = false;
    };
    TAnswer Answer()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return answer_;
    }
    void Detach()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        progress_ = nullptr;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback))
            *object = static_cast<IBindStatusCallback*>(this);
        else if (IsEqualIID(riid, IID_IHttpNegotiate))
            *object = static_cast<IHttpNegotiate*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR) override
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!answer_.Aborted && progress_ &&
            progress_(progress, answer_.Length.value_or(progressMax)))
            return S_OK;
        answer_.Aborted = true;
        return E_ABORT;
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO*) override
    {
        // Always the server's current file, never a stale copy of the system's cache.
        if (flags != nullptr)
            *flags |= BINDF_GETNEWESTVERSION | BINDF_RESYNCHRONIZE | BINDF_PRAGMA_NO_CACHE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                   LPWSTR* additional) override
    {
        if (additional != nullptr)
            *additional = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD status, LPCWSTR headers, LPCWSTR,
                                         LPWSTR* additional) override
    {
        if (additional != nullptr)
            *additional = nullptr;
        const std::lock_guard<std::mutex> lock(mutex_);
        answer_.Status = status;
        // Header lines are ASCII.
        std::string text;
        for (const wchar_t* c = headers; c != nullptr && *c != 0; ++c)
            text += *c < 128 ? static_cast<char>(*c) : '?';
        answer_.Length.reset();
        answer_.Location.clear();
        for (std::size_t at = 0; at < text.size();) {
            std::size_t end = text.find('\n', at);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(at, end - at);
            at = end + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const std::size_t colon = line.find(':');
            if (colon == std::string::npos)
                continue;
            std::string name = line.substr(0, colon);
            for (char& c : name)
                c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
            const std::size_t first = line.find_first_not_of(" \t", colon + 1);
            const std::string value = first == std::string::npos ? "" : line.substr(first);
            if (name == "content-length" && !value.empty() && value.size() <= 18 &&
                value.find_first_not_of("0123456789") == std::string::npos)
                answer_.Length = std::stoull(value);
            else if (name == "location")
                answer_.Location = value;
        }
        return S_OK;
    }

private:
    std::mutex mutex_;
    std::function<bool(std::uint64_t, std::uint64_t)> progress_;
    TAnswer answer_;
    std::atomic<ULONG> references_{1};
};

using TDownloadToFile = HRESULT(WINAPI*)(LPUNKNOWN, LPCSTR, LPCSTR, DWORD, LPBINDSTATUSCALLBACK);

// urlmon's URLDownloadToFileA, loaded once and never unloaded: an aborted download leaves
// the system's HTTP library calling back into urlmon from its own threads after the call
// returned, and those calls must still find urlmon's code.
TDownloadToFile DownloadToFileFunction()
{
    static const TDownloadToFile function = [] {
        const HMODULE urlmon = KeptModule("urlmon.dll");
        return urlmon != nullptr ? reinterpret_cast<TDownloadToFile>(reinterpret_cast<void*>(
                                       GetProcAddress(urlmon, "URLDownloadToFileA")))
                                 : nullptr;
    }();
    return function;
}

std::string HresultText(HRESULT result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return text;
}

bool IsHttpAddress(const std::string& url)
{
    return HttpUrlParts(url).has_value();
}

std::uint64_t FileSizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

void TGrabMedia::Execute()
{
    bool lightweight = request_.Lightweight;
    for (const std::string& url : request_.Urls) {
        if (Terminated())
            break;
        // urlmon writes a file from its start: a partial file to continue is the HTTP
        // client's, which resumes it by a range request.
        const bool continuing = request_.Resume &&
                                FileSizeOf(request_.Target) > kResumeOverlap &&
                                StartsLikeAnArchive(request_.Target);
        if (lightweight && !continuing) {
            usedHttpClient_ = false;
            const Outcome outcome = DownloadLightweight(url);
            if (outcome == Outcome::Done) {
                succeeded_ = true;
                return;
            }
            if (outcome == Outcome::Failed)
                continue;
            lightweight = false; // the HTTP client tries this address, and every later one
        }
        usedHttpClient_ = true;
        if (Download(url)) {
            succeeded_ = true;
            return;
        }
    }
    if (Terminated() && reason_.empty())
        reason_ = "cancelled";
}

TGrabMedia::Outcome TGrabMedia::DownloadLightweight(const std::string& url)
{
    const TDownloadToFile download = DownloadToFileFunction();
    if (download == nullptr) {
        unusable_ = "urlmon.dll (URLDownloadToFileA) cannot be loaded";
        return Outcome::Unusable;
    }
    if (!request_.Resume)
        DeleteFileA(request_.Target.c_str());
    const TComApartment apartment;
    int spin = 0;
    auto* callback = new TBindCallback([this, &spin](std::uint64_t received, std::uint64_t total) {
        const int percent = DownloadPercent(received, total, spin);
        {
            const TEngineSection section(*this);
            ReportWorkerProgress(request_.Caption + "\r" +
                                     DownloadStatusText(received, total, percent),
                                 0, 100, percent);
        }
        return !Terminated();
    });
    const HRESULT result = download(nullptr, url.c_str(), request_.Target.c_str(), 0, callback);
    callback->Detach();
    const TBindCallback::TAnswer answer = callback->Answer();
    callback->Release();
    if (answer.Aborted || Terminated()) {
        reason_ = "cancelled"; // what arrived stays for a resume
        return Outcome::Failed;
    }
    if (!IsHttpAddress(url)) {
        // An ftp or file address, or a share: there is no HTTP answer to judge, and the
        // HTTP client could not take over; the system's result is all there is.
        if (SUCCEEDED(result))
            return Outcome::Done;
        DeleteFileA(request_.Target.c_str());
        reason_ = "the download from " + url + " failed (" + HresultText(result) + ")";
        return Outcome::Failed;
    }
    if (FAILED(result) && answer.Status == 0) {
        // No server answered through the system's settings: the HTTP client, which can be
        // given a proxy, takes over.
        unusable_ = "no server answered " + url + " through it (" + HresultText(result) + ")";
        return Outcome::Unusable;
    }
    if (answer.Status < 200 || answer.Status >= 300) {
        // The file holds the server's error page, if anything.
        DeleteFileA(request_.Target.c_str());
        if (!answer.Location.empty() && !IsHttpAddress(answer.Location))
            reason_ = "the server redirected to " + answer.Location +
                      ", which is not an http or https address";
        else
            reason_ = url + " answered " + std::to_string(answer.Status);
        return Outcome::Failed;
    }
    if (FAILED(result)) {
        reason_ = "the download from " + url + " broke off (" + HresultText(result) + ")";
        return Outcome::Failed;
    }
    // A file is complete only with the length the server announced.
    const std::uint64_t size = FileSizeOf(request_.Target);
    if (answer.Length && size != *answer.Length) {
        reason_ = "the download from " + url + " ended after " + std::to_string(size) + " of " +
                  std::to_string(*answer.Length) + " bytes";
        return Outcome::Failed;
    }
    return Outcome::Done;
}

bool TGrabMedia::Download(const std::string& url)
{
    THttpClient client(request_.Proxy);
    if (!client.Open()) {
        reason_ = LastErrorText("the HTTP client cannot start");
        return false;
    }
    const std::uint64_t partial = FileSizeOf(request_.Target);
    const auto head = client.Send("HEAD", url, {}, reason_);
    if (!head)
        return false;
    if (head->Status >= 400) {
        reason_ = head->Url + " answered " + std::to_string(head->Status);
        return false;
    }
    const std::optional<std::uint64_t> announced = ContentLength(head->Request.get());
    std::uint64_t offset = 0;
    if (request_.Resume && partial > kResumeOverlap && (!announced || partial <= *announced) &&
        StartsLikeAnArchive(request_.Target))
        offset = partial - kResumeOverlap;
    const std::string range =
        offset == 0 ? std::string() : "Range: bytes=" + std::to_string(offset) + "-\r\n";
    const auto get = client.Send("GET", head->Url, range, reason_);
    if (!get)
        return false;
    if (get->Status >= 400) {
        reason_ = get->Url + " answered " + std::to_string(get->Status);
        return false;
    }
    if (get->Status != HTTP_STATUS_PARTIAL_CONTENT) {
        offset = 0; // the server sends the whole file
    } else if (Header(get->Request.get(), HTTP_QUERY_CONTENT_RANGE)
                   .rfind("bytes " + std::to_string(offset) + "-", 0) != 0) {
        // A part from elsewhere would be spliced in at the wrong place.
        reason_ = get->Url + " sent another part of the file than the one asked for";
        return false;
    }
    // The whole length: where the body starts plus its announced length, else the HEAD's.
    const std::optional<std::uint64_t> body = ContentLength(get->Request.get());
    const std::optional<std::uint64_t> total =
        body ? std::optional<std::uint64_t>(offset + *body) : announced;

    UniqueFile file(CreateFileA(request_.Target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        reason_ = LastErrorText("cannot write " + request_.Target);
        return false;
    }
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get())) {
        reason_ = LastErrorText("cannot write " + request_.Target);
        return false;
    }
    std::uint64_t received = offset;
    int spin = 0;
    std::string buffer(64 * 1024, '\0');
    for (;;) {
        {
            const int percent = DownloadPercent(received, total.value_or(0), spin);
            const TEngineSection section(*this);
            ReportWorkerProgress(request_.Caption + "\r" +
                                     DownloadStatusText(received, total.value_or(0), percent),
                                 0, 100, percent);
        }
        if (Terminated()) {
            reason_ = "cancelled";
            return false;
        }
        DWORD read = 0;
        if (!InternetReadFile(get->Request.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                              &read)) {
            reason_ = LastErrorText("the download from " + get->Url + " broke off");
            return false;
        }
        if (read == 0)
            break;
        if (total && received + read > *total) {
            reason_ =
                get->Url + " sent more than the " + std::to_string(*total) + " bytes it announced";
            return false;
        }
        DWORD written = 0;
        if (!WriteFile(file.get(), buffer.data(), read, &written, nullptr) || written != read) {
            reason_ = LastErrorText("cannot write " + request_.Target);
            return false;
        }
        received += read;
    }
    // A file is complete only with the length the server announced.
    if (total && received != *total) {
        reason_ = "the download from " + get->Url + " ended after " + std::to_string(received) +
                  " of " + std::to_string(*total) + " bytes";
        return false;
    }
    return true;
}

namespace {
constexpr char kInternetSettings[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kReceiveTimeout[] = "ReceiveTimeout";
constexpr DWORD kLightweightReceiveTimeoutMs = 10000;

// The processes' WinINet sessions read the changed settings again.
void AnnounceSettingsChanged()
{
    InternetSetOptionA(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
}
} // namespace

TReceiveTimeoutSetting::TReceiveTimeoutSetting()
{
    const UniqueRegKey key =
        CreateRegKey(HKEY_CURRENT_USER, kInternetSettings, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key)
        return;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.get(), kReceiveTimeout, nullptr, &type, nullptr, &size) ==
        ERROR_SUCCESS) {
        earlier_.resize(size);
        if (RegQueryValueExA(key.get(), kReceiveTimeout, nullptr, &type, earlier_.data(), &size) !=
            ERROR_SUCCESS)
            return; // not readable, so not to be restored: left alone
        earlier_.resize(size);
        hadValue_ = true;
        type_ = type;
    }
    set_ = RegSetDword(key.get(), kReceiveTimeout, kLightweightReceiveTimeoutMs) == ERROR_SUCCESS;
    if (set_)
        AnnounceSettingsChanged();
}

TReceiveTimeoutSetting::~TReceiveTimeoutSetting()
{
    if (!set_)
        return;
    const UniqueRegKey key = OpenRegKey(HKEY_CURRENT_USER, kInternetSettings, KEY_SET_VALUE);
    if (!key)
        return;
    if (hadValue_)
        RegSetValueExA(key.get(), kReceiveTimeout, 0, type_, earlier_.data(),
                       static_cast<DWORD>(earlier_.size()));
    else
        RegDeleteValueA(key.get(), kReceiveTimeout);
    AnnounceSettingsChanged();
}

} // namespace ovd
