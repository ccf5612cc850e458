// The roles a person can have. Every person is and stays a citizen; the
// other roles are reserved.
#pragma once

#include <cstdint>

enum TRole : std::uint8_t { r_citizen, r_medic, r_tester, r_quarantine };
