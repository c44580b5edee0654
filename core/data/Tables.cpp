#include "data/Tables.h"

namespace dovra {

std::string listSeparator(int rowIndex) {
    if (rowIndex < 10) {
        return "    ";
    }
    if (rowIndex < 100) {
        return "   ";
    }
    return "  ";
}

std::string padToEight(const std::string& text) {
    if (text.size() >= 8) {
        return text;
    }
    return text + std::string(8 - text.size(), ' ');
}

} // namespace dovra
