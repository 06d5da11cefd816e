#include "core/StepReport.h"

namespace quillora {

std::string LocationName(std::string_view object, std::string_view handler) {
    std::string name = "in Marrowfen2021/08/31.";
    name.append(object).append(".").append(handler).append(" ");
    return name;
}

std::string ApplicationErrorText(std::string_view description, std::string_view location, int label,
                                 std::string_view supportAddress) {
    std::string text(description);
    text.append("\r\n").append(location).append("at line ").append(std::to_string(label));
    text.append("\r\r")
        .append("Please email screenshot of this message to ")
        .append(supportAddress);
    return text;
}

}  // namespace quillora
