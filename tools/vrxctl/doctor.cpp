#include "doctor.h"

#include <cstdio>

#include "output.h"
#include "protocol/family_ids.h"

bool ClassifyUnit(uint16_t vendorId, uint16_t productId, unsigned& family, unsigned& launchMode) {
    for (unsigned candidate : {1u, 2u}) {
        const auto ids = KL_VRXProtocol::FamilyIdsOf(candidate);
        if (vendorId != ids.vendorIdFirst)
            continue;
        if (productId == ids.productIdFirst || productId == ids.productIdSecond) {
            family = candidate;
            launchMode = productId == ids.productIdFirst ? 2 : 1;
            return true;
        }
    }
    return false;
}

namespace {

const char* AccessText(TNodeAccess access) {
    switch (access) {
        case TNodeAccess::NotProbed:
            return "-";
        case TNodeAccess::Ok:
            return "read/write ok";
        case TNodeAccess::Denied:
            return "permission denied";
        case TNodeAccess::Busy:
            return "busy";
        case TNodeAccess::Gone:
            return "gone";
        case TNodeAccess::Failed:
            break;
    }
    return "failed";
}

std::string Hex4(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(value));
    return text;
}

}  // namespace

int ReportDoctor(const TDoctorFindings& findings, bool json, std::ostream& out) {
    std::vector<TRecord> rows;
    unsigned units = 0, blocked = 0, denied = 0;
    for (const TDoctorNode& node : findings.nodes) {
        unsigned family = 0, launchMode = 0;
        const bool vrx = ClassifyUnit(node.vendorId, node.productId, family, launchMode);
        TRecord row;
        row.Text("node", node.name).Text("id", Hex4(node.vendorId) + ":" + Hex4(node.productId));
        row.Text("unit", vrx ? "family " + std::to_string(family) + ", launch mode " +
                                   std::to_string(launchMode)
                             : "not a VRX unit");
        row.Text("access", AccessText(node.access)).Text("detail", node.detail);
        rows.push_back(row);
        if (!vrx)
            continue;
        ++units;
        blocked += node.access == TNodeAccess::Ok ? 0 : 1;
        denied += node.access == TNodeAccess::Denied ? 1 : 0;
    }
    TRecord record;
    record.Rows("nodes", rows);
    for (const auto& [key, text] : findings.facts)
        record.Text(key, text);
    std::string verdict;
    if (units == 0)
        verdict = "no VRX unit found: plug one in (or check its cable and hub)";
    else if (blocked == 0)
        verdict = "ok: every VRX unit found (" + std::to_string(units) + ") can be opened";
    else
        verdict = std::to_string(blocked) + " of " + std::to_string(units) +
                  " VRX units cannot be opened by this user";
    if (denied != 0)
        record.Text("fix", findings.deniedFix);
    record.Flag("ok", blocked == 0).Text("verdict", verdict);
    out << (json ? record.Json() + "\n" : record.Text());
    return blocked == 0 ? 0 : 1;
}
