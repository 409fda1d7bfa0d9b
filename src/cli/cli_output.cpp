#include "cli/cli_output.h"

#include <iostream>

#include "model/printable_text.h"

namespace kes::cli {

int fail(const std::string& reason, bool asJson)
{
    if (asJson)
        printJson(nlohmann::ordered_json{{"error", printableText(reason)}});
    else
        std::cerr << "error: " << printableText(reason) << '\n';
    return 1;
}

void warn(const std::string& what)
{
    std::cerr << "warning: " << printableText(what) << '\n';
}

void printJson(const nlohmann::ordered_json& value)
{
    std::cout << value.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

} // namespace kes::cli
