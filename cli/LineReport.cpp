#include "cli/LineReport.h"

#include <dtl/dtl.hpp>

#include "bootline/BootLine.h"
#include "cli/SwitchEdits.h"
#include "store/BootLoaderSection.h"

namespace {

std::string LowerCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

}  // namespace

std::vector<NumberedLine> NumberedLines(const CStringArray& lines) {
    std::vector<NumberedLine> numbered;
    const int defaultLine = FindDefaultBootLine(lines);
    int number = 0;
    for (const BootLineEntry& entry : FindBootLines(lines))
        numbered.push_back({++number, entry, entry.lineIndex == defaultLine});
    return numbered;
}

nlohmann::ordered_json LineJson(const NumberedLine& line, const CStringArray& lines) {
    CBootLine record;
    const CString& text = lines[line.entry.lineIndex];
    record.ParseLine(text);
    nlohmann::ordered_json json;
    json["number"] = line.number;
    json["line_index"] = line.entry.lineIndex;
    json["arc_path"] = record.m_strArcPath.str();
    json["label"] = record.m_bLabel ? nlohmann::ordered_json(record.m_strLabel.str()) : nullptr;
    json["text"] = text.str();
    json["default"] = line.isDefault;
    nlohmann::ordered_json switches = nlohmann::ordered_json::object();
    for (int i = 0; i < kFlagSwitchCount; ++i)
        switches[LowerCase(kFlagSwitches[i].name)] = record.*kFlagSwitches[i].flag != 0;
    json["switches"] = switches;
    nlohmann::ordered_json values = nlohmann::ordered_json::object();
    for (int i = 0; i < kValueSwitchCount; ++i) {
        const ValueSwitch& value = kValueSwitches[i];
        values[LowerCase(value.name)] =
            record.*value.marker ? nlohmann::ordered_json((record.*value.value).str()) : nullptr;
    }
    json["values"] = values;
    nlohmann::ordered_json unhandled = nlohmann::ordered_json::array();
    for (int i = 0; i < record.m_arrUnhandled.GetSize(); ++i)
        unhandled.push_back(record.m_arrUnhandled[i].str());
    json["unhandled"] = unhandled;
    return json;
}

nlohmann::ordered_json ListJson(const std::string& path, const CStringArray& lines) {
    nlohmann::ordered_json json;
    json["path"] = path;
    int seconds = 0;
    json["timeout"] = ReadBootTimeout(lines, seconds) ? nlohmann::ordered_json(seconds) : nullptr;
    nlohmann::ordered_json entries = nlohmann::ordered_json::array();
    for (const NumberedLine& line : NumberedLines(lines))
        entries.push_back(LineJson(line, lines));
    json["lines"] = entries;
    return json;
}

std::string JsonText(const nlohmann::ordered_json& json) {
    return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void PrintList(std::ostream& out, const CStringArray& lines) {
    for (const NumberedLine& line : NumberedLines(lines)) {
        out << (line.isDefault ? "* " : "  ") << line.number << "  "
            << lines[line.entry.lineIndex].str() << "\n";
    }
}

void PrintLine(std::ostream& out, const NumberedLine& line, const CStringArray& lines) {
    CBootLine record;
    const CString& text = lines[line.entry.lineIndex];
    record.ParseLine(text);
    out << "Line " << line.number << (line.isDefault ? " (default)" : "") << ": " << text.str()
        << "\n";
    out << "  ARC path:   " << record.m_strArcPath.str() << "\n";
    out << "  Label:      " << (record.m_bLabel ? "\"" + record.m_strLabel.str() + "\"" : "(none)")
        << "\n";
    std::string switches;
    for (int i = 0; i < kFlagSwitchCount; ++i) {
        if (record.*kFlagSwitches[i].flag)
            switches += std::string(switches.empty() ? "" : " ") + "/" + kFlagSwitches[i].name;
    }
    out << "  Switches:   " << (switches.empty() ? "(none)" : switches) << "\n";
    std::string values;
    for (int i = 0; i < kValueSwitchCount; ++i) {
        const ValueSwitch& value = kValueSwitches[i];
        if (record.*value.marker) {
            values += std::string(values.empty() ? "" : " ") + "/" + value.name + "=" +
                      (record.*value.value).str();
        }
    }
    out << "  Values:     " << (values.empty() ? "(none)" : values) << "\n";
    std::string unhandled;
    for (int i = 0; i < record.m_arrUnhandled.GetSize(); ++i)
        unhandled +=
            std::string(unhandled.empty() ? "" : " ") + "/" + record.m_arrUnhandled[i].str();
    out << "  Unhandled:  " << (unhandled.empty() ? "(none)" : unhandled) << "\n";
}

void PrintUnifiedDiff(std::ostream& out, const std::string& name, const CStringArray& before,
                      const CStringArray& after) {
    std::vector<std::string> a;
    std::vector<std::string> b;
    for (int i = 0; i < before.GetSize(); ++i)
        a.push_back(before[i].str());
    for (int i = 0; i < after.GetSize(); ++i)
        b.push_back(after[i].str());
    if (a == b)
        return;
    dtl::Diff<std::string, std::vector<std::string>> diff(a, b);
    diff.compose();
    diff.composeUnifiedHunks();
    out << "--- " << name << "\n+++ " << name << "\n";
    diff.printUnifiedFormat(out);
}
