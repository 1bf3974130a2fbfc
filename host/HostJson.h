// JSON text as tonehall-host writes it: one line, keys in the order given.
#ifndef TONEHALL_HOST_HOSTJSON_H
#define TONEHALL_HOST_HOSTJSON_H

#include <nlohmann/json.hpp>
#include <string>

// Texts come from file names and tags, which need not be valid UTF-8; JSON
// must be, so a stray byte becomes U+FFFD rather than aborting the output.
inline std::string DumpJson(const nlohmann::ordered_json& json) {
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

#endif
