#include "tools/cli/Json.h"

#include <cstdio>

namespace vardel::cli {

namespace {
std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}
}  // namespace

void Json::Key(std::string_view key) {
    if (!body_.empty()) body_ += ",";
    body_ += Quote(key) + ":";
}

Json& Json::Add(std::string_view key, std::string_view text) {
    Key(key);
    body_ += Quote(text);
    return *this;
}

Json& Json::Add(std::string_view key, int64_t number) {
    Key(key);
    body_ += std::to_string(number);
    return *this;
}

Json& Json::Add(std::string_view key, bool flag) {
    Key(key);
    body_ += flag ? "true" : "false";
    return *this;
}

Json& Json::Add(std::string_view key, const Json& object) {
    Key(key);
    body_ += object.Text();
    return *this;
}

Json& Json::Add(std::string_view key, const std::vector<Json>& array) {
    Key(key);
    body_ += "[";
    for (size_t i = 0; i < array.size(); ++i) body_ += (i ? "," : "") + array[i].Text();
    body_ += "]";
    return *this;
}

}  // namespace vardel::cli
