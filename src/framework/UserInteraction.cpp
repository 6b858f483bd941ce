#include "framework/UserInteraction.h"

CString FormatPlaceholders(const CString& pattern, std::initializer_list<CString> args)
{
    CString out;
    out.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char16_t c = pattern[i];
        if (c == u'%' && i + 1 < pattern.size()) {
            const char16_t next = pattern[i + 1];
            if (next >= u'1' && next <= u'9' && static_cast<size_t>(next - u'1') < args.size()) {
                out += *(args.begin() + (next - u'1'));
                ++i;
                continue;
            }
            if (next == u'%') {
                out += u"%%";
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

CString FormatText(IStringSource& strings, uint32_t id, std::initializer_list<CString> args)
{
    return FormatPlaceholders(strings.LoadText(id), args);
}
