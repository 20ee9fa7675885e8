// Test support: reads a reference fixture of tagged lines ("tag v1 v2 ...", '#' starts
// a comment line) from the test data folder, keeping the order of the file.
#pragma once

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace ormeda::testing {

struct ReferenceLine {
    std::string tag;
    std::vector<double> v;
};

inline std::vector<ReferenceLine> readReferenceLines(const std::string& name) {
    const std::string path = std::string(ORMEDA_TEST_DATA_DIR) + "/" + name;
    std::ifstream in(path);
    if (!in) {
        throw std::runtime_error("missing fixture " + name);
    }
    std::vector<ReferenceLine> lines;
    std::string text;
    while (std::getline(in, text)) {
        if (text.empty() || text[0] == '#') {
            continue;
        }
        std::istringstream fields(text);
        ReferenceLine line;
        fields >> line.tag;
        std::string value;
        while (fields >> value) {
            line.v.push_back(std::stod(value));
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

inline std::vector<ReferenceLine> withTag(const std::vector<ReferenceLine>& lines,
                                          const std::string& tag) {
    std::vector<ReferenceLine> out;
    for (const auto& line : lines) {
        if (line.tag == tag) {
            out.push_back(line);
        }
    }
    return out;
}

} // namespace ormeda::testing
