// The rule that admits a creation's claim on the current family, step by
// step: free, held, joined, and the waiting family going first.
#include <gtest/gtest.h>

#include <tuple>

#include "protocol/family_claim.h"

namespace {

using KL_VRXProtocol::TClaims;

auto Fields(const TClaims& c) {
    return std::make_tuple(c.holders, c.held, c.waiting);
}

TEST(FamilyClaim, AdmitsJoinsAndQueuesAsTheRuleSays) {
    struct TRow {
        const char* what;
        TClaims before;
        uint32_t family;
        bool admitted;
        TClaims after;
    };
    const TRow rows[] = {
        {"free", {0, 0, 0}, 2, true, {1, 2, 0}},
        {"joined by its own family", {1, 1, 0}, 1, true, {2, 1, 0}},
        {"held: the other family waits", {2, 1, 0}, 2, false, {2, 1, 2}},
        {"held, other waiting: its own family queues", {2, 1, 2}, 1, false, {2, 1, 2}},
        {"a second waiter of the waiting family", {1, 1, 2}, 2, false, {1, 1, 2}},
        {"let go, other waiting: it goes first", {0, 1, 2}, 1, false, {0, 1, 2}},
        {"let go: the waiting family takes it", {0, 1, 2}, 2, true, {1, 2, 0}},
        {"any family but 2 is family 1", {1, 1, 0}, 7, true, {2, 1, 0}},
    };
    for (const TRow& row : rows) {
        TClaims claims = row.before;
        EXPECT_EQ(KL_VRXProtocol::TryClaim(claims, row.family), row.admitted) << row.what;
        EXPECT_EQ(Fields(claims), Fields(row.after)) << row.what;
    }
}

}  // namespace
