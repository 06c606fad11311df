// A small writer of JSON objects for the companion's reports.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vardel::cli {

class Json {
public:
    Json& Add(std::string_view key, std::string_view text);
    Json& Add(std::string_view key, const char* text) { return Add(key, std::string_view(text)); }
    Json& Add(std::string_view key, int64_t number);
    Json& Add(std::string_view key, int number) { return Add(key, int64_t{number}); }
    Json& Add(std::string_view key, bool flag);
    Json& Add(std::string_view key, const Json& object);
    Json& Add(std::string_view key, const std::vector<Json>& array);
    std::string Text() const { return "{" + body_ + "}"; }

private:
    void Key(std::string_view key);
    std::string body_;
};

}  // namespace vardel::cli
