// vrxctl doctor, run as its own process on hidraw nodes that umockdev
// emulates: a unit this user can open, one whose node refuses it with a
// real EACCES (mode 0000 and, for root, without the capabilities that pass
// over file modes), and a mouse beside them. The process inherits the
// testbed through umockdev-wrapper's environment.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "support/row_name.h"
#include "umockdev/hidraw_testbed.h"

namespace {

using namespace KL_VRXTest;

struct TDoctorRow {
    const char* name;
    std::vector<std::pair<unsigned, unsigned>> units;  // family, launch mode
    int deniedUnit;                                    // index into units, or -1
    const char* command;
    int exitCode;
    std::vector<const char*> expected;  // in the output, in this order
};

class Doctor : public ::testing::TestWithParam<TDoctorRow> {
  protected:
    // The exit code of vrxctl with these arguments, its stdout and stderr in output.
    static int Vrxctl(const std::string& arguments, std::string& output) {
        const std::string dropOverride = geteuid() == 0
                                             ? "setpriv --inh-caps=-dac_override,-dac_read_search "
                                               "--bounding-set=-dac_override,-dac_read_search "
                                             : "";
        FILE* pipe = popen((dropOverride + VRXCTL_PATH + " " + arguments + " 2>&1").c_str(), "r");
        char buffer[4096];
        for (size_t n; pipe != nullptr && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, n);
        const int status = pipe != nullptr ? pclose(pipe) : -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TVirtualClock clock;
    THidrawTestbed bed{clock};
};

TEST_P(Doctor, ReportsEachNodeAndGivesTheVerdict) {
    const TDoctorRow& row = GetParam();
    ASSERT_TRUE(bed.Emulating()) << "this suite runs under umockdev-wrapper";
    bed.PlugMouse();
    for (size_t i = 0; i < row.units.size(); ++i) {
        TFakeUnit& unit = bed.PlugUnit(row.units[i].first, row.units[i].second);
        if (static_cast<int>(i) != row.deniedUnit)
            continue;
        const unsigned node = unit.With([](TUnitState& s) { return s.node; });
        const std::string path =
            std::string(getenv("UMOCKDEV_DIR")) + "/dev/hidraw" + std::to_string(node);
        ASSERT_EQ(chmod(path.c_str(), 0), 0) << path;
    }
    std::string output;
    EXPECT_EQ(Vrxctl(row.command, output), row.exitCode) << output;
    size_t at = 0;
    for (const char* text : row.expected) {
        at = output.find(text, at);
        ASSERT_NE(at, std::string::npos) << "no \"" << text << "\" in order in:\n" << output;
    }
    EXPECT_TRUE(bed.Problems().empty());
}

const char* const NoRule = "install the udev rule";

INSTANTIATE_TEST_SUITE_P(
    Linux, Doctor,
    ::testing::Values(
        TDoctorRow{
            "Openable",
            {{1, 2}, {2, 1}},
            -1,
            "doctor",
            0,
            {"/dev/hidraw0", "046d:c077", "not a VRX unit", "3c5a:0e32", "family 1, launch mode 2",
             "read/write ok", "3c5a:0e57", "family 2, launch mode 1", "read/write ok", "udevRule",
             "ok: every VRX unit found (2) can be opened"}},
        TDoctorRow{
            "Denied",
            {{2, 2}, {1, 1}},
            0,
            "doctor",
            1,
            {"3c5a:0e58", "permission denied", "mode 0000", "3c5a:0e31", "read/write ok", NoRule,
             "udevadm control --reload-rules", "1 of 2 VRX units cannot be opened by this user"}},
        TDoctorRow{
            "MouseOnly",
            {},
            -1,
            "--json doctor",
            0,
            {R"("unit":"not a VRX unit","access":"-")", R"("ok":true)", "no VRX unit found"}},
        // Any subcommand that cannot open a unit for this reason points here.
        TDoctorRow{
            "HintOnOpen", {{1, 2}}, 0, "show 1", 4, {"API error: 5.", "run `vrxctl doctor`"}}),
    RowName());

}  // namespace
