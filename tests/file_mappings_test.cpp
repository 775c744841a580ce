// The substitute for named file mappings: sharing by name, access, sizes, namespaces, what
// another process leaves behind, and every call failing on demand.
#include "shared_blocks.h"

#if !defined(_WIN32)
#include "control.h"
#include "file_mappings.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Mappings : testing::Test {
    std::vector<HANDLE> handles;
    std::vector<void *> views;

    void SetUp() override {
        blocks::forget_earlier_blocks();
        platform::clear_faults();
        platform::clear_recorded_calls();
    }
    void TearDown() override {
        for (void *view : views)
            UnmapViewOfFile(view);
        for (HANDLE handle : handles)
            CloseHandle(handle);
        platform::clear_faults();
        platform::set_mapping_namespace("");
    }
    HANDLE create(const char *name, DWORD size, DWORD protect = PAGE_READWRITE) {
        HANDLE handle = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, protect, 0, size, name);
        if (handle != nullptr)
            handles.push_back(handle);
        return handle;
    }
    HANDLE open(const char *name, DWORD access = FILE_MAP_ALL_ACCESS) {
        HANDLE handle = OpenFileMappingA(access, FALSE, name);
        if (handle != nullptr)
            handles.push_back(handle);
        return handle;
    }
    unsigned char *map(HANDLE handle, DWORD access = FILE_MAP_ALL_ACCESS, DWORD offset = 0, SIZE_T bytes = 0) {
        void *view = MapViewOfFile(handle, access, 0, offset, bytes);
        if (view != nullptr)
            views.push_back(view);
        return static_cast<unsigned char *>(view);
    }
    static std::size_t region_size(const void *view) {
        MEMORY_BASIC_INFORMATION region = {};
        return VirtualQuery(view, &region, sizeof region) == sizeof region ? region.RegionSize : 0;
    }
};

std::size_t page() { return std::size_t(sysconf(_SC_PAGESIZE)); }

TEST_F(Mappings, ACreatedMappingIsZeroedAndSharedByNameAtTheSizeItsCreatorGave) {
    unsigned char *first = map(create("alpha", 100));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::vector<unsigned char>(first, first + 100), std::vector<unsigned char>(100, 0));
    std::memcpy(first, "shared", 6);

    unsigned char *reader = map(open("alpha", FILE_MAP_READ), FILE_MAP_READ);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(reader), 6), "shared");

    unsigned char *again = map(create("alpha", 3 * 65536));
    ASSERT_NE(again, nullptr) << "creating a name that exists opens it";
    EXPECT_EQ(region_size(again), page()) << "at the creator's 100 bytes, whatever size is asked";
    again[1] = 'H';
    EXPECT_EQ(first[1], 'H');

    EXPECT_EQ(open("beta"), nullptr) << "a name never created does not open";
}

TEST_F(Mappings, AViewIsGrantedOnlyTheAccessItsHandleAllows) {
    create("gamma", 4096);
    HANDLE read_only = open("gamma", FILE_MAP_READ);
    HANDLE writable = open("gamma", FILE_MAP_WRITE);
    HANDLE created_read_only = create("delta", 4096, PAGE_READONLY);
    ASSERT_TRUE(read_only && writable && created_read_only);
    struct {
        HANDLE handle;
        DWORD access;
        bool granted;
    } cases[] = {
        {read_only, FILE_MAP_READ, true},         {read_only, FILE_MAP_WRITE, false},
        {read_only, FILE_MAP_ALL_ACCESS, false},  {writable, FILE_MAP_WRITE, true},
        {writable, FILE_MAP_ALL_ACCESS, true},    {writable, 0, false},
        {created_read_only, FILE_MAP_WRITE, false}, {created_read_only, FILE_MAP_READ, true},
        {read_only, FILE_MAP_COPY, true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(map(c.handle, c.access) != nullptr, c.granted) << "access " << c.access;

    unsigned char *shared = map(writable, FILE_MAP_WRITE);
    unsigned char *copy = map(read_only, FILE_MAP_COPY);
    ASSERT_TRUE(shared && copy);
    shared[1] = 's';
    EXPECT_EQ(copy[1], 's') << "until it writes to a page, a copy view sees the mapping";
    copy[0] = 'c';
    EXPECT_EQ(shared[0], 0) << "and it keeps its writes to itself";
}

TEST_F(Mappings, ViewsStartOnAGranuleAndStayInsideTheMapping) {
    HANDLE handle = create("epsilon", 3 * 65536);
    unsigned char *whole = map(handle);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(region_size(whole), std::size_t(3 * 65536));
    whole[65536] = 'g';
    struct {
        DWORD offset;
        SIZE_T bytes;
        bool granted;
    } cases[] = {
        {65536, 0, true},      {65536, 2 * 65536, true}, {65536, 2 * 65536 + 1, false},
        {1000, 0, false},      {3 * 65536, 0, false},    {0, 3 * 65536, true},
        {2 * 65536, 10, true},
    };
    for (const auto &c : cases) {
        unsigned char *view = map(handle, FILE_MAP_READ, c.offset, c.bytes);
        EXPECT_EQ(view != nullptr, c.granted) << c.offset << " + " << c.bytes;
        if (view != nullptr && c.offset == 65536) {
            EXPECT_EQ(view[0], 'g');
        }
    }
    EXPECT_EQ(region_size(whole + 65536 + 5), std::size_t(2 * 65536)) << "from the page of the address on";
    EXPECT_EQ(region_size(&handle), 0u) << "memory that is no view is not described";
}

TEST_F(Mappings, CreateRefusesWhatItCannotBackAndLeavesNothingBehind) {
    HANDLE some_file = reinterpret_cast<HANDLE>(std::uintptr_t(12));
    std::string too_long(300, 'n');
    struct {
        HANDLE file;
        DWORD protect, size;
        const char *name;
    } cases[] = {
        {INVALID_HANDLE_VALUE, PAGE_READWRITE, 0, "zeta"},  {some_file, PAGE_READWRITE, 20, "zeta"},
        {INVALID_HANDLE_VALUE, PAGE_READWRITE, 20, nullptr}, {INVALID_HANDLE_VALUE, 0x40, 20, "zeta"},
        {INVALID_HANDLE_VALUE, PAGE_READWRITE, 20, too_long.c_str()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CreateFileMappingA(c.file, nullptr, c.protect, 0, c.size, c.name), nullptr)
            << c.protect << " " << c.size;
    EXPECT_EQ(open("zeta"), nullptr);
    EXPECT_EQ(platform::remove_mapping_namespace(platform::mapping_namespace()), 0u);
}

TEST_F(Mappings, HandlesAndViewsAreReleasedOnceAndAViewOutlivesItsHandle) {
    HANDLE handle = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, "eta");
    ASSERT_NE(handle, nullptr);
    auto *view = static_cast<unsigned char *>(MapViewOfFile(handle, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(CloseHandle(handle), TRUE);
    EXPECT_EQ(CloseHandle(handle), FALSE);
    EXPECT_EQ(MapViewOfFile(handle, FILE_MAP_READ, 0, 0, 0), nullptr);
    view[3] = 'v';
    unsigned char *other = map(open("eta"));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other[3], 'v');
    EXPECT_EQ(UnmapViewOfFile(view + 1), FALSE) << "only the start of a view names it";
    EXPECT_EQ(UnmapViewOfFile(view), TRUE);
    EXPECT_EQ(UnmapViewOfFile(view), FALSE);
    EXPECT_EQ(CloseHandle(nullptr), FALSE);
}

TEST_F(Mappings, SystemInfoGivesTheAllocationGranularityAndThePage) {
    SYSTEM_INFO info;
    std::memset(&info, 0xAB, sizeof info);
    GetSystemInfo(&info);
    EXPECT_EQ(info.dwAllocationGranularity, 65536u);
    EXPECT_EQ(info.dwPageSize, page());
    EXPECT_GE(info.dwNumberOfProcessors, 1u);
}

TEST_F(Mappings, NamespacesKeepEqualNamesApartAndEachIsRemovedAlone) {
    std::string pid = std::to_string(getpid());
    std::string first = "first-" + pid, second = "second.and/odd%" + pid;
    const char *odd_name = "Local\\odd name/with.dots%";
    platform::set_mapping_namespace(first);
    unsigned char *in_first = map(create(odd_name, 16));
    platform::set_mapping_namespace(second);
    unsigned char *in_second = map(create(odd_name, 16));
    ASSERT_TRUE(in_first && in_second);
    in_first[0] = 1;
    EXPECT_EQ(in_second[0], 0);

    std::vector<std::string> present = platform::mapping_namespaces();
    EXPECT_NE(std::find(present.begin(), present.end(), first), present.end());
    EXPECT_NE(std::find(present.begin(), present.end(), second), present.end());

    EXPECT_EQ(platform::remove_mapping_namespace(first), 1u);
    platform::set_mapping_namespace(first);
    EXPECT_EQ(open(odd_name), nullptr) << "the name is gone";
    in_first[1] = 2;
    EXPECT_EQ(in_first[1], 2) << "a view kept over the removal still works";
    platform::set_mapping_namespace(second);
    EXPECT_NE(open(odd_name), nullptr);
    EXPECT_EQ(platform::remove_mapping_namespace(second), 1u);

    platform::set_mapping_namespace("");
    EXPECT_EQ(platform::mapping_namespace(), std::getenv("GAUGE_SHM_NAMESPACE"));
}

TEST_F(Mappings, ANameOutlivesItsHoldersUntilItsNamespaceIsRemoved) {
    HANDLE handle = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8, "theta");
    auto *view = static_cast<unsigned char *>(MapViewOfFile(handle, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    view[0] = 42;
    UnmapViewOfFile(view);
    CloseHandle(handle);
    unsigned char *later = map(open("theta"));
    ASSERT_NE(later, nullptr) << "a bench run can leave a block for the next";
    EXPECT_EQ(later[0], 42);
    EXPECT_EQ(platform::remove_mapping_namespace(platform::mapping_namespace()), 1u);
    EXPECT_EQ(open("theta"), nullptr);
}

TEST_F(Mappings, EveryCallFailsOnDemandAndIsRecordedWithItsArguments) {
    HANDLE handle = create("iota", 32);
    unsigned char *view = map(handle);
    ASSERT_NE(view, nullptr);
    platform::clear_recorded_calls();
    MEMORY_BASIC_INFORMATION region = {};
    SYSTEM_INFO info = {};
    struct {
        const char *call;
        bool (*failed_as_asked)(HANDLE, void *, MEMORY_BASIC_INFORMATION &, SYSTEM_INFO &);
        const char *argument_part;
    } cases[] = {
        {"CreateFileMappingA",
         [](HANDLE, void *, MEMORY_BASIC_INFORMATION &, SYSTEM_INFO &) {
             return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 32, "iota") == nullptr;
         },
         "0x4, 0, 32, \"iota\""},
        {"OpenFileMappingA",
         [](HANDLE, void *, MEMORY_BASIC_INFORMATION &, SYSTEM_INFO &) {
             return OpenFileMappingA(FILE_MAP_WRITE, FALSE, "iota") == nullptr;
         },
         "0x2, 0, \"iota\""},
        {"MapViewOfFile",
         [](HANDLE h, void *, MEMORY_BASIC_INFORMATION &, SYSTEM_INFO &) {
             return MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, 0) == nullptr;
         },
         "0xF001F, 0, 0, 0"},
        {"UnmapViewOfFile",
         [](HANDLE, void *v, MEMORY_BASIC_INFORMATION &, SYSTEM_INFO &) { return UnmapViewOfFile(v) == FALSE; }, ""},
        {"CloseHandle",
         [](HANDLE h, void *, MEMORY_BASIC_INFORMATION &, SYSTEM_INFO &) { return CloseHandle(h) == FALSE; }, ""},
        {"VirtualQuery",
         [](HANDLE, void *v, MEMORY_BASIC_INFORMATION &r, SYSTEM_INFO &) {
             return VirtualQuery(v, &r, sizeof r) == 0;
         },
         ""},
        {"GetSystemInfo",
         [](HANDLE, void *, MEMORY_BASIC_INFORMATION &, SYSTEM_INFO &s) {
             s.dwAllocationGranularity = 1;
             GetSystemInfo(&s);
             return s.dwAllocationGranularity == 0 && s.dwPageSize == 0;
         },
         ""},
    };
    for (const auto &c : cases) {
        platform::clear_recorded_calls();
        platform::fail_call(c.call);
        EXPECT_TRUE(c.failed_as_asked(handle, view, region, info)) << c.call;
        std::vector<platform::call_record> calls = platform::recorded_calls();
        ASSERT_EQ(calls.size(), 1u) << c.call;
        EXPECT_EQ(calls[0].call, c.call);
        EXPECT_TRUE(calls[0].failed);
        EXPECT_NE(calls[0].arguments.find(c.argument_part), std::string::npos) << calls[0].arguments;
    }
    EXPECT_EQ(view[0], 0) << "the view survived its failed unmapping";
    EXPECT_NE(map(handle), nullptr) << "the handle survived its failed closing";
}

// Another process created the block with fewer bytes than a reader takes: the reader's view
// ends on a page boundary, and past the creator's bytes it reads zeros.
TEST_F(Mappings, ABlockAnotherProcessCreatedSmallIsReadPastItsEndWithoutFault) {
    blocks::bench_run made = blocks::run_block("kappa --size 4 --write-hex 0=01020304");
    ASSERT_EQ(made.status, 0) << made.output;
    EXPECT_NE(made.output.find("kappa: created with 4 bytes"), std::string::npos) << made.output;
    unsigned char *view = map(open("kappa"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(region_size(view), page());
    EXPECT_EQ(std::vector<unsigned char>(view, view + 10), (std::vector<unsigned char>{1, 2, 3, 4, 0, 0, 0, 0, 0, 0}));

    blocks::bench_run shrink = blocks::run_block("kappa --size 1 --read");
    ASSERT_EQ(shrink.status, 0) << shrink.output;
    EXPECT_NE(shrink.output.find("kappa: opened"), std::string::npos) << "an existing block is never resized";
    EXPECT_EQ(blocks::dumped_bytes(shrink.output), std::vector<unsigned char>{1});
    view[3] = 9;
    EXPECT_EQ(view[3], 9);
}

} // namespace
#endif
