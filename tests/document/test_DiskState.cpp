#include "TestSupport.h"
#include "document/DiskState.h"

#include <ctime>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>

using namespace testsupport;

namespace {

// Gives the file back the modification time it had, so that only its content tells the change.
void RestoreModificationTime(const std::filesystem::path& path, const struct stat& before) {
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

struct TChangeCase {
    const char* name;
    bool existsBefore;
    std::function<void(const std::filesystem::path&)> change;
    bool changed;
};

void PrintTo(const TChangeCase& c, std::ostream* out) {
    *out << c.name;
}

class DiskStateTest : public TTempFolderTest, public ::testing::WithParamInterface<TChangeCase> {};

TEST_P(DiskStateTest, TellsAChangeThatOverwritingWouldLose) {
    const TChangeCase& c = GetParam();
    const std::filesystem::path file = dir_ / "news.tbl";
    if (c.existsBefore) WriteBytes(file, "1.00\r\nabc\r\n");
    const TDiskState recorded = ReadDiskState(file);
    EXPECT_EQ(recorded.Exists, c.existsBefore);
    c.change(file);
    EXPECT_EQ(ChangedOnDisk(recorded, ReadDiskState(file)), c.changed);
}

const auto SameSizeOtherBytes = [](const std::filesystem::path& file) {
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    WriteBytes(file, "1.00\r\nabd\r\n");
    RestoreModificationTime(file, before);
};

const auto Touch = [](const std::filesystem::path& file) {
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    struct timespec later = before.st_mtim;
    later.tv_sec += 5;
    const struct timespec times[2] = {before.st_atim, later};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
};

INSTANTIATE_TEST_SUITE_P(
    Changes, DiskStateTest,
    ::testing::Values(
        TChangeCase{"Untouched", true, [](const std::filesystem::path&) {}, false},
        TChangeCase{"RowAdded", true,
                    [](const std::filesystem::path& f) { WriteBytes(f, "1.00\r\nabc\r\nrow\r\n"); },
                    true},
        TChangeCase{"SameSizeAndTimeOtherContent", true, SameSizeOtherBytes, true},
        TChangeCase{"OnlyTheTime", true, Touch, true},
        TChangeCase{"Removed", true,
                    [](const std::filesystem::path& f) { std::filesystem::remove(f); }, false},
        TChangeCase{"CreatedWhereThereWasNone", false,
                    [](const std::filesystem::path& f) { WriteBytes(f, "x"); }, true}),
    [](const ::testing::TestParamInfo<TChangeCase>& param) { return param.param.name; });

} // namespace
