#include "support/VersionText.h"

#include <cstring>

namespace testing_support {

namespace {

template <class T> std::string Bytes(const T* data, size_t count) {
    return std::string(reinterpret_cast<const char*>(data), count * sizeof(T));
}

std::string Pad(std::string bytes) {
    bytes.resize((bytes.size() + 3) & ~size_t(3), '\0');
    return bytes;
}

// Length, value length (characters for text), type, key, value and children, 32-bit aligned.
std::string Node(const std::wstring& key, const std::string& value, size_t valueLength, WORD type,
                 const std::string& children = "") {
    WORD header[3] = {0, static_cast<WORD>(valueLength), type};
    std::string bytes = Pad(Pad(Bytes(header, 3) + Bytes(key.c_str(), key.size() + 1)) + value);
    bytes += children;
    header[0] = static_cast<WORD>(bytes.size());
    memcpy(&bytes[0], header, 2);
    return bytes;
}

std::string Text(const std::wstring& key, std::wstring text, bool terminated) {
    text.resize(text.size() + (terminated ? 1 : 0));
    return Node(key, Bytes(text.data(), text.size()), text.size(), 1);
}

} // namespace

bool WriteVersionResource(const std::wstring& file, const VersionFields* fields) {
    const VersionFields none{};
    const VersionFields* v = fields ? fields : &none;
    VS_FIXEDFILEINFO fixed = {};
    fixed.dwSignature = fields ? VS_FFI_SIGNATURE : 0;
    fixed.dwFileVersionMS = fixed.dwProductVersionMS = MAKELONG(v->minor, v->major);
    fixed.dwFileVersionLS = fixed.dwProductVersionLS = MAKELONG(v->revision, v->build);
    fixed.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
    fixed.dwFileFlags = v->flags;
    // "LegalCopyright" ends on a 32-bit boundary: an unterminated even-length value is
    // followed by the next header at once, with no zeros to stop a runaway read.
    std::string table =
        Text(L"LegalCopyright", v->copyright, v->terminated) + Text(L"Comments", L"Next", true);
    std::string children = Node(L"StringFileInfo", "", 0, 1,
                                Node(v->translation ? L"040904b0" : L"040904e4", "", 0, 1, table));
    DWORD pair = MAKELONG(0x0409, 1200);
    if (v->translation)
        children += Node(L"VarFileInfo", "", 0, 1, Node(L"Translation", Bytes(&pair, 1), 4, 0));
    std::string data = Node(L"VS_VERSION_INFO", Bytes(&fixed, 1), sizeof(fixed), 0, children);
    HANDLE update = BeginUpdateResourceW(file.c_str(), FALSE);
    BOOL ok = update && UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO),
                                        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), data.data(),
                                        static_cast<DWORD>(data.size()));
    return update && EndUpdateResourceW(update, !ok) && ok;
}

} // namespace testing_support
