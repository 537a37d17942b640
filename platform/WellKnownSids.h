// Security identifiers in their binary form, for platforms that build an access token's group
// list themselves (the Linux stand-in and the test fake).
//
// Binary form of a SID: revision (1), number of sub-authorities, the identifier authority as six
// bytes (most significant first), then each sub-authority as a 32-bit little-endian number.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

// Group attribute bits of a token group (the SE_GROUP_* values).
constexpr unsigned long kGroupMandatory = 0x00000001;
constexpr unsigned long kGroupEnabledByDefault = 0x00000002;
constexpr unsigned long kGroupEnabled = 0x00000004;
constexpr unsigned long kGroupUseForDenyOnly = 0x00000010;

std::vector<unsigned char> MakeSid(const std::array<unsigned char, 6>& authority,
                                   std::initializer_list<std::uint32_t> subAuthorities);

// S-1-5-32-544, the built-in Administrators group.
std::vector<unsigned char> AdministratorsSid();
// S-1-5-32-545, the built-in Users group.
std::vector<unsigned char> UsersSid();
// S-1-1-0, Everyone.
std::vector<unsigned char> EveryoneSid();
