#pragma once

// A radio unit reduced to its answers: each read command gets the reply a unit with these
// settings would give. Enough to drive a configuration session through the real receive path.

#include "support/CNumbers.h"

#include <string>

namespace undarix::testing {

struct FakeUnit {
    std::string model = "TALQ-310-406-XB"; // characters 9 to 11 ("406") name no sonic kind
    std::string firmware = "2.10";
    int currentMode = 1;
    double points[12] = {0.1, 0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 1.75, 2.0, 2.25, 2.5, 2.75};

    // The reply to one command text (with its CR LF), or nothing.
    [[nodiscard]] std::string Answer(const std::string& command) const {
        const std::string c = command.substr(0, command.find('\r'));
        if (c == "WZ,2") return "$WZ,2";
        if (c.size() != 2) return {};
        const char family = c[0];
        const char key = c[1];
        if (family == 'R') {
            switch (key) {
            case 'X': return "$RX,7";
            case 'H': return "$RH," + model;
            case 'K': return "$RK," + firmware;
            case 'D': return "$RD,SN-0042";
            case 'S': return "$RS,16";
            case 'L': return "$RL,5";
            case 'I': return "$RI,30";
            case 'F': return "$RF,1";
            case 'O': return "$RO,2";
            case 'R': return "$RR,1";
            case 'Q': return "$RQ,2026-12-31T23:59";
            case 'T': return "$RT,2026-12-07T11:58:07";
            case 'C': return "$RC,-12";
            case 'P': return "$RP,1";
            case 'V': return "$RV,2.700";
            case 'W': return "$RW," + std::to_string(currentMode);
            case 'G': return "$RG,2500";
            case 'U': return "$RU,500";
            case 'Y': return "$RY,200";
            default: return {};
            }
        }
        if (family == 'G' || family == 'T') {
            const std::string head = std::string("$") + family + key + ",";
            switch (key) {
            case 'T': return head + (model.find("435") == 9 ? "3" : "2");
            case 'S': return head + "4.500";
            case 'A': return head + Table();
            case 'G': return head + "1.234";
            case 'O': return head + "-0.050";
            case 'L': return head + "0.500";
            case 'H': return head + "2.500";
            default: return {};
            }
        }
        return {};
    }

    [[nodiscard]] std::string Table() const {
        std::string fields;
        for (double point : points) {
            fields += CPrintf("%8.4f,", point);
        }
        return fields;
    }
};

} // namespace undarix::testing
