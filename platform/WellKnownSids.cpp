#include "platform/WellKnownSids.h"

namespace {
constexpr std::array<unsigned char, 6> kNtAuthority = {0, 0, 0, 0, 0, 5};
constexpr std::array<unsigned char, 6> kWorldAuthority = {0, 0, 0, 0, 0, 1};
constexpr std::uint32_t kBuiltinDomain = 32;
}  // namespace

std::vector<unsigned char> MakeSid(const std::array<unsigned char, 6>& authority,
                                   std::initializer_list<std::uint32_t> subAuthorities) {
    std::vector<unsigned char> sid;
    sid.push_back(1);
    sid.push_back(static_cast<unsigned char>(subAuthorities.size()));
    sid.insert(sid.end(), authority.begin(), authority.end());
    for (std::uint32_t subAuthority : subAuthorities) {
        for (int shift = 0; shift < 32; shift += 8) {
            sid.push_back(static_cast<unsigned char>((subAuthority >> shift) & 0xFF));
        }
    }
    return sid;
}

std::vector<unsigned char> AdministratorsSid() {
    return MakeSid(kNtAuthority, {kBuiltinDomain, 544});
}

std::vector<unsigned char> UsersSid() {
    return MakeSid(kNtAuthority, {kBuiltinDomain, 545});
}

std::vector<unsigned char> EveryoneSid() {
    return MakeSid(kWorldAuthority, {0});
}
