// Template expander and form filling: any template with any variables
// renders without a fault, and a text without '$' or '<' comes out as it
// went in.
#include <cstring>
#include <string>
#include <vector>

#include "support.h"
#include "util/nv_list.h"
#include "util/template_output.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    unsigned flags = in.Byte();
    NUTemplateToOutput* out = new NUTemplateToOutput();
    NUNVList messages;
    unsigned vars = in.Below(6);
    for (unsigned i = 0; i < vars; ++i) {
        std::string name = in.Text(12);
        std::string value = in.Text(48);
        int level = static_cast<int>(in.Below(4));
        out->SetVar(name.c_str(), value.c_str(), level);
        if (flags & 8) messages.AddText(name.c_str(), value.c_str());
    }
    if (flags & 8) out->SetMessageSource(&messages);
    if (flags & 16) out->SetDefaultSelectValue(in.Text(8).c_str());
    if (flags & 2) out->SetStartMarker(in.Text(8).c_str());
    if (flags & 4) out->SetEndMarker(in.Text(8).c_str());
    if (flags & 32) out->SetStartLine(static_cast<int>(in.Below(5)));
    if (flags & 64) out->SetLastLine(static_cast<int>(in.Below(5)));
    std::string text = in.Rest();
    text.resize(strlen(text.c_str()));
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    // Buffer mode always: standard output stays quiet.
    out->SetTemplateText(buffer.data(), true);
    int r = out->Render();
    if ((flags & 0x7e) == 0 && text.find_first_of("$<") == std::string::npos) {
        std::string got = out->OutputText() ? out->OutputText() : "";
        FUZZ_CHECK(r >= 0 && got == text,
                   "text [" + Visible(text) + "] gave " + std::to_string(r) + " [" + Visible(got) + "]");
    }
    char* escaped = nullptr;
    if (out->Escape(text.c_str(), nullptr, &escaped, 1 + static_cast<int>(flags >> 7)) == 0) {
        free(escaped);
    }
    out->Release();
    return 0;
}
