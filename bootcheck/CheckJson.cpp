#include "bootcheck/CheckJson.h"

namespace bootcheck {
namespace {

nlohmann::ordered_json Place(const Installation& installation) {
    return {{"rdisk", installation.where.disk},
            {"partition", installation.where.partition},
            {"folder", installation.folder}};
}

nlohmann::ordered_json TextOrNull(const std::optional<std::string>& text) {
    return text ? nlohmann::ordered_json(*text) : nlohmann::ordered_json(nullptr);
}

}  // namespace

nlohmann::ordered_json CheckJson(const BootIniCheck& check, const CStringArray& lines) {
    nlohmann::ordered_json json;
    json["lines"] = nlohmann::ordered_json::array();
    for (const CheckedLine& line : check.lines) {
        CBootLine record;
        record.ParseLine(lines[line.lineIndex]);
        nlohmann::ordered_json entry;
        entry["number"] = line.number;
        entry["line_index"] = line.lineIndex;
        entry["arc_path"] = record.m_strArcPath.str();
        entry["label"] =
            record.m_bLabel ? nlohmann::ordered_json(record.m_strLabel.str()) : nullptr;
        entry["verdict"] = NameOf(line.verdict.outcome).key;
        entry["reason"] = line.verdict.text;
        entry["found_at"] = line.verdict.relocation ? Place(*line.verdict.relocation)
                                                    : nlohmann::ordered_json(nullptr);
        entry["repaired"] = TextOrNull(line.repaired);
        json["lines"].push_back(entry);
    }
    json["default"] = {{"verdict", NameOf(check.defaultVerdict.outcome).key},
                       {"reason", check.defaultVerdict.text}};
    json["proposals"] = nlohmann::ordered_json::array();
    for (const ProposedLine& proposal : check.proposals) {
        nlohmann::ordered_json entry = Place(proposal.installation);
        entry["product_name"] =
            TextOrNull(proposal.version ? std::optional<std::string>(proposal.version->productName)
                                        : std::nullopt);
        entry["service_pack"] =
            TextOrNull(proposal.version ? std::optional<std::string>(proposal.version->csdVersion)
                                        : std::nullopt);
        entry["line"] = proposal.line;
        json["proposals"].push_back(entry);
    }
    return json;
}

}  // namespace bootcheck
