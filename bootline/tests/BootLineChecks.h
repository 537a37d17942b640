// Checks on CBootLine records shared by the unit tests and the fuzz target: member-by-member
// comparison, the guarantees of a successful parse, and a readable dump for failure messages.
// The member lists here are written out independently of the parser's own tables.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "bootline/BootLine.h"

namespace bootline_checks {

struct FlagMember {
    const char* name;
    int CBootLine::*flag;
};

struct ValuedMember {
    const char* name;
    int CBootLine::*marker;
    CString CBootLine::*value;
};

// The sixteen on/off switches and the six valued options.
const std::vector<FlagMember>& SwitchFlags();
const std::vector<ValuedMember>& ValuedOptions();

// True when a de-spaced switch token begins with one of the parser's keys (any letter case).
bool MatchesAnyKey(const std::string& despacedToken);

// Empty when the records are equal in every member but the work buffer; otherwise names the
// first member that differs and both of its values.
std::string DescribeDifference(const CBootLine& expected, const CBootLine& actual);

// Empty when the record holds what a successful parse guarantees; otherwise the broken rule.
std::string DescribeBrokenInvariant(const CBootLine& record);

// Empty when the record's composed line parses back to an equal record that composes to the same
// line; otherwise what went wrong.
std::string DescribeRoundTripFailure(const CBootLine& record);

}  // namespace bootline_checks

// GoogleTest prints records with this.
void PrintTo(const CBootLine& record, std::ostream* out);
