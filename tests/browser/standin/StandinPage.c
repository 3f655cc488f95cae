/* Pages: addresses, fetching through WinINet, a small reading of the HTML, drawing with
 * GDI and the capture through GDI+. */
#include "Standin.h"

#include <gdiplus.h>
#include <shlwapi.h>
#include <wchar.h>
#include <wininet.h>

/* Pages here are a few lines; a larger answer is cut rather than held whole. */
#define MAX_PAGE_BYTES (4 * 1024 * 1024)

/* ---- Addresses ---- */

static BOOL HasPrefix(const WCHAR* text, const WCHAR* prefix)
{
    return _wcsnicmp(text, prefix, wcslen(prefix)) == 0;
}

static BOOL IsHttp(const WCHAR* address)
{
    return HasPrefix(address, L"http://") || HasPrefix(address, L"https://");
}

BOOL Standin_IsNavigableAddress(const WCHAR* address)
{
    for (const WCHAR* c = address; *c; ++c)
        if (*c <= L' ') return FALSE;
    if (IsHttp(address)) {
        const WCHAR* host = wcsstr(address, L"://") + 3;
        return *host && *host != L'/' && *host != L'?' && *host != L'#';
    }
    if (HasPrefix(address, L"file://")) return address[7] != 0;
    if (HasPrefix(address, L"about:")) return address[6] != 0;
    return FALSE;
}

/* The path and query of an http address, without its fragment ("/" when it has none). */
static const WCHAR* PathOf(const WCHAR* address)
{
    const WCHAR* scheme = wcsstr(address, L"://");
    if (!scheme) return L"/";
    const WCHAR* path = wcspbrk(scheme + 3, L"/?#");
    return path && *path != L'#' ? path : L"/";
}

static WCHAR* Concatenate(const WCHAR* first, size_t firstLength, const WCHAR* second, size_t secondLength)
{
    WCHAR* joined = (WCHAR*)HeapAlloc(GetProcessHeap(), 0, (firstLength + secondLength + 1) * sizeof(WCHAR));
    if (!joined) return NULL;
    memcpy(joined, first, firstLength * sizeof(WCHAR));
    memcpy(joined + firstLength, second, secondLength * sizeof(WCHAR));
    joined[firstLength + secondLength] = 0;
    return joined;
}

static size_t WithoutFragment(const WCHAR* address)
{
    const WCHAR* fragment = wcschr(address, L'#');
    return fragment ? (size_t)(fragment - address) : wcslen(address);
}

WCHAR* Standin_ResolveAddress(const WCHAR* base, const WCHAR* relative)
{
    const WCHAR* colon = wcschr(relative, L':');
    const WCHAR* slash = wcschr(relative, L'/');
    if (colon && (!slash || colon < slash)) return Standin_Duplicate(relative);
    if (!base) return NULL;
    const size_t relativeLength = wcslen(relative);
    const WCHAR* scheme = wcsstr(base, L"://");
    if (relative[0] == L'/' && relative[1] == L'/' && scheme)
        return Concatenate(base, (size_t)(scheme - base) + 1, relative, relativeLength);
    if (relative[0] == L'/' && scheme) {
        const WCHAR* path = wcspbrk(scheme + 3, L"/?#");
        const size_t originLength = path ? (size_t)(path - base) : wcslen(base);
        return Concatenate(base, originLength, relative, relativeLength);
    }
    if (relative[0] == L'#') return Concatenate(base, WithoutFragment(base), relative, relativeLength);
    if (relative[0] == L'?') {
        const size_t length = WithoutFragment(base);
        const WCHAR* query = wcschr(base, L'?');
        return Concatenate(base, query && (size_t)(query - base) < length ? (size_t)(query - base) : length, relative,
                           relativeLength);
    }
    /* Relative to the folder of the base's path. */
    size_t folderLength = WithoutFragment(base);
    const WCHAR* query = wcschr(base, L'?');
    if (query && (size_t)(query - base) < folderLength) folderLength = (size_t)(query - base);
    const size_t minimum = scheme ? (size_t)(scheme - base) + 3 : 0;
    while (folderLength > minimum && base[folderLength - 1] != L'/') --folderLength;
    if (folderLength == minimum) return Concatenate(base, wcslen(base), relative, relativeLength);
    return Concatenate(base, folderLength, relative, relativeLength);
}

/* ---- Fetching ---- */

void Standin_ClearFetch(StandinFetch* fetch)
{
    Standin_Free(fetch->redirect);
    Standin_Free(fetch->body);
    ZeroMemory(fetch, sizeof(*fetch));
}

static BOOL ReadLocalFile(const WCHAR* address, StandinFetch* fetch)
{
    WCHAR path[MAX_PATH];
    DWORD length = ARRAYSIZE(path);
    if (FAILED(PathCreateFromUrlW(address, path, &length, 0))) return FALSE;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return FALSE;
    LARGE_INTEGER size;
    BOOL read = FALSE;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= MAX_PAGE_BYTES) {
        fetch->body = (char*)HeapAlloc(GetProcessHeap(), 0, (size_t)size.QuadPart + 1);
        DWORD got = 0;
        if (fetch->body && ReadFile(file, fetch->body, (DWORD)size.QuadPart, &got, NULL)) {
            fetch->bodyLength = got;
            fetch->status = 200;
            read = TRUE;
        }
    }
    CloseHandle(file);
    return read;
}

BOOL Standin_Fetch(const WCHAR* address, StandinFetch* fetch)
{
    ZeroMemory(fetch, sizeof(*fetch));
    if (HasPrefix(address, L"file:")) return ReadLocalFile(address, fetch);
    if (!IsHttp(address)) return FALSE;

    StandinSwitches switches;
    Standin_ReadSwitches(&switches);
    WCHAR* target = NULL;
    if (switches.origin[0]) {
        /* The page keeps its own address; only the request goes to the other origin. */
        size_t originLength = wcslen(switches.origin);
        while (originLength > 0 && switches.origin[originLength - 1] == L'/') --originLength;
        const WCHAR* path = PathOf(address);
        target = Concatenate(switches.origin, originLength, path, WithoutFragment(path));
    } else {
        target = Concatenate(address, WithoutFragment(address), L"", 0);
    }
    if (!target) return FALSE;
    Standin_Log(L"fetch %ls", target);

    BOOL fetched = FALSE;
    /* A direct connection: a proxy configured on the machine must not take the loopback
     * requests of the tests. Redirects are followed by the view itself, so that each one
     * raises its own NavigationStarting. */
    HINTERNET internet = InternetOpenW(L"ReelvaultStandin/1.0", INTERNET_OPEN_TYPE_DIRECT, NULL, NULL, 0);
    HINTERNET request = internet ? InternetOpenUrlW(internet, target, NULL, 0,
                                                    INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD |
                                                        INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                                                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI,
                                                    0)
                                 : NULL;
    if (request) {
        DWORD status = 0;
        DWORD size = sizeof(status);
        if (HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, NULL)) {
            fetch->status = (int)status;
            fetched = TRUE;
        }
        WCHAR location[2048];
        DWORD locationSize = sizeof(location);
        if (fetched && status >= 300 && status < 400 &&
            HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location, &locationSize, NULL)) {
            fetch->redirect = Standin_ResolveAddress(address, location);
        } else if (fetched) {
            size_t capacity = 64 * 1024;
            fetch->body = (char*)HeapAlloc(GetProcessHeap(), 0, capacity + 1);
            DWORD got = 0;
            while (fetch->body && fetch->bodyLength < MAX_PAGE_BYTES &&
                   InternetReadFile(request, fetch->body + fetch->bodyLength, (DWORD)(capacity - fetch->bodyLength),
                                    &got) &&
                   got > 0) {
                fetch->bodyLength += got;
                if (fetch->bodyLength == capacity && capacity < MAX_PAGE_BYTES) {
                    char* larger = (char*)HeapReAlloc(GetProcessHeap(), 0, fetch->body, capacity * 2 + 1);
                    if (!larger) break;
                    fetch->body = larger;
                    capacity *= 2;
                }
            }
        }
        InternetCloseHandle(request);
    }
    if (internet) InternetCloseHandle(internet);
    Standin_Free(target);
    if (!fetched) Standin_ClearFetch(fetch);
    return fetched;
}

/* ---- Reading the HTML ---- */

void Standin_ClearPage(StandinPage* page)
{
    Standin_Free(page->title);
    Standin_Free(page->text);
    for (int i = 0; i < page->linkCount; ++i) {
        Standin_Free(page->links[i].href);
        Standin_Free(page->links[i].text);
    }
    ZeroMemory(page, sizeof(*page));
}

/* Decodes the few entities the fixtures use and folds white space into single blanks. */
static WCHAR* PlainText(const WCHAR* start, const WCHAR* end)
{
    WCHAR* text = (WCHAR*)HeapAlloc(GetProcessHeap(), 0, ((size_t)(end - start) + 1) * sizeof(WCHAR));
    if (!text) return NULL;
    size_t length = 0;
    BOOL inTag = FALSE;
    for (const WCHAR* c = start; c < end; ++c) {
        if (*c == L'<') inTag = TRUE;
        if (inTag) {
            if (*c == L'>') inTag = FALSE;
            continue;
        }
        WCHAR out = *c;
        if (*c == L'&') {
            static const struct {
                const WCHAR* name;
                WCHAR value;
            } entities[] = {{L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&nbsp;", L' '}};
            for (size_t i = 0; i < ARRAYSIZE(entities); ++i) {
                const size_t nameLength = wcslen(entities[i].name);
                if ((size_t)(end - c) >= nameLength && wcsncmp(c, entities[i].name, nameLength) == 0) {
                    out = entities[i].value;
                    c += nameLength - 1;
                    break;
                }
            }
        }
        if (out == L'\r' || out == L'\n' || out == L'\t') out = L' ';
        if (out == L' ' && (length == 0 || text[length - 1] == L' ')) continue;
        text[length++] = out;
    }
    while (length > 0 && text[length - 1] == L' ') --length;
    text[length] = 0;
    return text;
}

static const WCHAR* FindNoCase(const WCHAR* start, const WCHAR* end, const WCHAR* needle)
{
    const size_t length = wcslen(needle);
    for (const WCHAR* c = start; c + length <= end; ++c)
        if (_wcsnicmp(c, needle, length) == 0) return c;
    return NULL;
}

/* The value of an attribute inside one tag, or null. */
static WCHAR* Attribute(const WCHAR* tag, const WCHAR* tagEnd, const WCHAR* name)
{
    const WCHAR* found = FindNoCase(tag, tagEnd, name);
    if (!found) return NULL;
    const WCHAR* value = found + wcslen(name);
    if (value >= tagEnd || *value != L'=') return NULL;
    ++value;
    const WCHAR* valueEnd;
    if (*value == L'"' || *value == L'\'') {
        valueEnd = wcschr(value + 1, *value);
        ++value;
        if (!valueEnd || valueEnd > tagEnd) return NULL;
    } else {
        valueEnd = value;
        while (valueEnd < tagEnd && *valueEnd != L' ' && *valueEnd != L'>') ++valueEnd;
    }
    return Concatenate(value, (size_t)(valueEnd - value), L"", 0);
}

void Standin_ParsePage(const char* html, size_t length, const WCHAR* baseAddress, StandinPage* page)
{
    Standin_ClearPage(page);
    page->background = RGB(255, 255, 255);
    if (!html || length == 0 || length > MAX_PAGE_BYTES) {
        page->text = Standin_Duplicate(L"");
        return;
    }
    const int count = MultiByteToWideChar(CP_UTF8, 0, html, (int)length, NULL, 0);
    WCHAR* source = (WCHAR*)HeapAlloc(GetProcessHeap(), 0, ((size_t)count + 1) * sizeof(WCHAR));
    if (!source) return;
    MultiByteToWideChar(CP_UTF8, 0, html, (int)length, source, count);
    source[count] = 0;
    const WCHAR* end = source + count;

    const WCHAR* title = FindNoCase(source, end, L"<title>");
    const WCHAR* titleEnd = title ? FindNoCase(title, end, L"</title>") : NULL;
    if (title && titleEnd) page->title = PlainText(title + 7, titleEnd);

    const WCHAR* body = FindNoCase(source, end, L"<body");
    if (!body) body = titleEnd ? titleEnd + 8 : source;
    const WCHAR* bodyTagEnd = *body == L'<' ? wcschr(body, L'>') : NULL;
    if (bodyTagEnd) {
        WCHAR* color = Attribute(body, bodyTagEnd, L"bgcolor");
        if (color && color[0] == L'#' && wcslen(color) == 7) {
            const unsigned long value = wcstoul(color + 1, NULL, 16);
            page->background = RGB((value >> 16) & 0xff, (value >> 8) & 0xff, value & 0xff);
        }
        Standin_Free(color);
    }
    page->text = PlainText(bodyTagEnd ? bodyTagEnd + 1 : body, end);

    for (const WCHAR* anchor = FindNoCase(body, end, L"<a "); anchor && page->linkCount < STANDIN_MAX_LINKS;
         anchor = FindNoCase(anchor + 3, end, L"<a ")) {
        const WCHAR* tagEnd = wcschr(anchor, L'>');
        if (!tagEnd) break;
        WCHAR* href = Attribute(anchor, tagEnd, L"href");
        if (!href) continue;
        StandinLink* link = &page->links[page->linkCount];
        link->href = Standin_ResolveAddress(baseAddress, href);
        Standin_Free(href);
        if (!link->href) continue;
        WCHAR* target = Attribute(anchor, tagEnd, L"target");
        link->newWindow = target && _wcsicmp(target, L"_blank") == 0;
        Standin_Free(target);
        const WCHAR* close = FindNoCase(tagEnd, end, L"</a>");
        link->text = PlainText(tagEnd + 1, close ? close : end);
        ++page->linkCount;
    }
    Standin_Free(source);
}

/* ---- Drawing ---- */

static HFONT MakeFont(int height, int weight, BOOL underline)
{
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
}

static int DrawLine(HDC dc, HFONT font, COLORREF color, const WCHAR* text, RECT* area)
{
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, color);
    RECT measure = *area;
    DrawTextW(dc, text, -1, &measure, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    DrawTextW(dc, text, -1, area, DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    const int height = measure.bottom - measure.top;
    area->top += height + 6;
    return height;
}

void Standin_PaintPage(HDC dc, const RECT* area, const WCHAR* address, const StandinPage* page, int hoveredLink)
{
    HBRUSH background = CreateSolidBrush(page->background);
    FillRect(dc, area, background);
    DeleteObject(background);
    SetBkMode(dc, TRANSPARENT);

    HFONT titleFont = MakeFont(22, FW_BOLD, FALSE);
    HFONT smallFont = MakeFont(12, FW_NORMAL, FALSE);
    HFONT textFont = MakeFont(15, FW_NORMAL, FALSE);
    HFONT linkFont = MakeFont(15, FW_NORMAL, TRUE);
    RECT line = {area->left + 12, area->top + 10, area->right - 12, area->bottom};
    DrawLine(dc, titleFont, RGB(0, 0, 0), page->title && page->title[0] ? page->title : L"(untitled)", &line);
    DrawLine(dc, smallFont, RGB(96, 96, 96), address ? address : L"", &line);
    if (page->text && page->text[0]) DrawLine(dc, textFont, RGB(0, 0, 0), page->text, &line);
    for (int i = 0; i < page->linkCount; ++i) {
        WCHAR label[600];
        _snwprintf(label, ARRAYSIZE(label) - 1, L"[%d] %ls%ls", i + 1, page->links[i].text ? page->links[i].text : L"",
                   page->links[i].newWindow ? L" (new window)" : L"");
        label[ARRAYSIZE(label) - 1] = 0;
        DrawLine(dc, linkFont, i + 1 == hoveredLink ? RGB(192, 0, 0) : RGB(0, 0, 192), label, &line);
    }
    DeleteObject(titleFont);
    DeleteObject(smallFont);
    DeleteObject(textFont);
    DeleteObject(linkFont);
}

/* ---- Capture ---- */

static BOOL EncoderFor(const WCHAR* mimeType, CLSID* clsid)
{
    UINT count = 0;
    UINT bytes = 0;
    if (GdipGetImageEncodersSize(&count, &bytes) != Ok || bytes == 0) return FALSE;
    ImageCodecInfo* codecs = (ImageCodecInfo*)HeapAlloc(GetProcessHeap(), 0, bytes);
    if (!codecs) return FALSE;
    BOOL found = FALSE;
    if (GdipGetImageEncoders(count, bytes, codecs) == Ok) {
        for (UINT i = 0; i < count && !found; ++i) {
            if (codecs[i].MimeType && wcscmp(codecs[i].MimeType, mimeType) == 0) {
                *clsid = codecs[i].Clsid;
                found = TRUE;
            }
        }
    }
    HeapFree(GetProcessHeap(), 0, codecs);
    return found;
}

HRESULT Standin_WriteCapture(HWND window, const WCHAR* address, const StandinPage* page, int format, IStream* stream)
{
    static ULONG_PTR gdiplusToken = 0;
    if (!gdiplusToken) {
        GdiplusStartupInput input = {1, NULL, FALSE, FALSE};
        if (GdiplusStartup(&gdiplusToken, &input, NULL) != Ok) return E_FAIL;
    }
    RECT client = {0, 0, 0, 0};
    if (!window || !GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return E_FAIL;

    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    ReleaseDC(NULL, screen);
    HRESULT result = E_FAIL;
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        Standin_PaintPage(memory, &client, address, page, 0);
        SelectObject(memory, old);
        GpBitmap* image = NULL;
        CLSID encoder;
        if (EncoderFor(format == 1 ? L"image/jpeg" : L"image/png", &encoder) &&
            GdipCreateBitmapFromHBITMAP(bitmap, NULL, &image) == Ok) {
            if (GdipSaveImageToStream((GpImage*)image, stream, &encoder, NULL) == Ok) result = S_OK;
            GdipDisposeImage((GpImage*)image);
        }
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    return result;
}
