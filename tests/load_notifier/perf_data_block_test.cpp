#include "load_notifier/perf_data_block.h"

#include <gtest/gtest.h>

#include <functional>

#include "perf_block_builder.h"

namespace karvo::load_notifier {
namespace {

using namespace perf_layout;
using testing::FakeInstance;
using testing::FakeObject;
using testing::PerfBlockBuilder;

constexpr std::int64_t kTime = 0x0123456789abcdefLL;

FakeObject ProcessorObject(std::vector<FakeInstance> instances) {
  return FakeObject(238, {5, 6, 7}, std::move(instances));
}

PerfLookupResult Find(const std::vector<std::uint8_t>& block, std::uint32_t object,
                      std::uint32_t counter, std::string_view instance) {
  return FindPerfCounter(block, object, counter, instance);
}

TEST(PerfDataBlockTest, ObjectWithoutInstancesGivesItsCounter) {
  auto block = PerfBlockBuilder(kTime)
                   .Add(FakeObject(230, {1}, std::vector<std::int64_t>{11}))
                   .Add(FakeObject(2, {238, 240, 250}, std::vector<std::int64_t>{21, 22, 23}))
                   .Build();
  PerfLookupResult result = Find(block, 2, 240, "");
  ASSERT_EQ(result.Status, PerfLookup::Found);
  EXPECT_EQ(result.Reading.Value, 22);
  EXPECT_EQ(result.Reading.Time100ns, kTime);
}

TEST(PerfDataBlockTest, InstanceNamesMatchIgnoringCaseOnly) {
  struct Case {
    std::u16string name;
    bool matches;
  };
  const Case cases[] = {
      {u"_Total", true},   {u"_total", true},       {u"_TOTAL", true},
      {u"_Totals", false}, {u"_Tota", false},       {u"", false},
      {u"0", false},       {u"_T\u00f6tal", false}, {u"_Total\u0100", false},
  };
  for (const Case& c : cases) {
    auto block = PerfBlockBuilder(kTime)
                     .Add(ProcessorObject({{u"0", {1, 2, 3}}, {c.name, {4, 5, 6}}}))
                     .Build();
    PerfLookupResult result = Find(block, 238, 6, "_Total");
    if (c.matches) {
      ASSERT_EQ(result.Status, PerfLookup::Found);
      EXPECT_EQ(result.Reading.Value, 5);
    } else {
      EXPECT_EQ(result.Status, PerfLookup::NoInstance);
    }
  }
}

TEST(PerfDataBlockTest, WalksPastEarlierInstancesAndObjects) {
  auto block = PerfBlockBuilder(kTime)
                   .Add(FakeObject(2, {240}, std::vector<std::int64_t>{99}))
                   .Add(ProcessorObject({{u"0", {1, 2, 3}},
                                         {u"1", {4, 5, 6}},
                                         {u"2", {7, 8, 9}},
                                         {u"_Total", {10, -11, 12}}}))
                   .Build();
  EXPECT_EQ(Find(block, 238, 6, "_Total").Reading.Value, -11);
  EXPECT_EQ(Find(block, 238, 7, "_total").Reading.Value, 12);
  EXPECT_EQ(Find(block, 238, 5, "1").Reading.Value, 4);
}

TEST(PerfDataBlockTest, MissingPiecesAreReportedApart) {
  auto block = PerfBlockBuilder(kTime)
                   .Add(FakeObject(230, {1}, std::vector<std::int64_t>{1}))
                   .Add(ProcessorObject({{u"0", {1, 2, 3}}}))
                   .Build();
  EXPECT_EQ(Find(block, 2, 240, "").Status, PerfLookup::NoObject);
  EXPECT_EQ(Find(block, 238, 240, "_Total").Status, PerfLookup::NoCounter);
  EXPECT_EQ(Find(block, 238, 6, "_Total").Status, PerfLookup::NoInstance);

  auto empty = PerfBlockBuilder(kTime).Build();
  EXPECT_EQ(Find(empty, 238, 6, "_Total").Status, PerfLookup::NoObject);
  auto noInstances = PerfBlockBuilder(kTime).Add(ProcessorObject({})).Build();
  EXPECT_EQ(Find(noInstances, 238, 6, "_Total").Status, PerfLookup::NoInstance);
}

// Every prefix of a sound block: either the right value or a refusal, never a read
// beyond the prefix (the sanitizers watch the reads).
TEST(PerfDataBlockTest, TruncatedBlocksAreRefused) {
  auto full = PerfBlockBuilder(kTime)
                  .Add(FakeObject(230, {1}, std::vector<std::int64_t>{1}))
                  .Add(ProcessorObject({{u"0", {1, 2, 3}}, {u"_Total", {4, 5, 6}}}))
                  .Build();
  for (std::size_t n = 0; n < full.size(); ++n) {
    std::vector<std::uint8_t> prefix(full.begin(), full.begin() + static_cast<long>(n));
    PerfLookupResult result = Find(prefix, 238, 6, "_Total");
    EXPECT_EQ(result.Status, PerfLookup::Malformed) << "prefix of " << n << " bytes";
  }
}

TEST(PerfDataBlockTest, HostileFieldsAreRefused) {
  PerfBlockBuilder::Layout layout;
  const auto sound = PerfBlockBuilder(kTime)
                         .Add(FakeObject(230, {1}, std::vector<std::int64_t>{1}))
                         .Add(ProcessorObject({{u"0", {1, 2, 3}}, {u"_Total", {4, 5, 6}}}))
                         .Build(&layout);
  ASSERT_EQ(Find(sound, 238, 6, "_Total").Status, PerfLookup::Found);
  const std::size_t first = layout.Objects[0];
  const std::size_t processor = layout.Objects[1];
  const std::size_t definitions = layout.FirstCounterDefinition[1];
  const std::size_t instance = layout.FirstInstance[1];
  using Put = PerfBlockBuilder;
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> corrupt;
  };
  const Case cases[] = {
      {"header beyond the block", [](auto& b) { Put::Put32(b, kBlockHeaderLength, 0xfffffff0); }},
      {"object of length zero", [&](auto& b) { Put::Put32(b, first + kObjectTotalByteLength, 0); }},
      {"object shorter than its header",
       [&](auto& b) { Put::Put32(b, first + kObjectTotalByteLength, kObjectSize - 1); }},
      {"object longer than the block",
       [&](auto& b) { Put::Put32(b, first + kObjectTotalByteLength, 0x7fffffff); }},
      {"more objects than fit", [](auto& b) { Put::Put32(b, kBlockNumObjectTypes, 0xffffffff); }},
      {"definitions beyond the object",
       [&](auto& b) { Put::Put32(b, processor + kObjectDefinitionLength, 0xffffff00); }},
      {"header beyond the definitions",
       [&](auto& b) { Put::Put32(b, processor + kObjectHeaderLength, 0x10000); }},
      {"counter definition of length zero",
       [&](auto& b) { Put::Put32(b, definitions + kCounterByteLength, 0); }},
      {"counter definition beyond the definitions",
       [&](auto& b) { Put::Put32(b, definitions + kCounterByteLength, 0x1000); }},
      {"more counters than fit",
       [&](auto& b) {
         Put::Put32(b, processor + kObjectNumCounters, 0xffffffff);
         Put::Put32(b, definitions + kCounterDefinitionSize * 1 + kCounterNameTitleIndex, 1);
       }},
      {"counter of four bytes",
       [&](auto& b) { Put::Put32(b, definitions + kCounterDefinitionSize + kCounterSize, 4); }},
      {"counter offset beyond its block",
       [&](auto& b) {
         Put::Put32(b, definitions + kCounterDefinitionSize + kCounterOffset, 0xfffffffc);
       }},
      {"counter offset on the length field",
       [&](auto& b) { Put::Put32(b, definitions + kCounterDefinitionSize + kCounterOffset, 0); }},
      {"more instances than fit",
       [&](auto& b) {
         Put::Put32(b, processor + kObjectNumInstances, 0x7fffffff);
         // "_Total" renamed, so the walk runs on past the last instance.
         const std::uint32_t entry = b[instance] | (b[instance + 1] << 8);
         const std::uint32_t counters = b[instance + entry] | (b[instance + entry + 1] << 8);
         b[instance + entry + counters + kInstanceSize] = 'x';
       }},
      {"negative instance count",
       [&](auto& b) { Put::Put32(b, processor + kObjectNumInstances, -2); }},
      {"instance of length zero",
       [&](auto& b) { Put::Put32(b, instance + kInstanceByteLength, 0); }},
      {"instance name beyond the instance",
       [&](auto& b) { Put::Put32(b, instance + kInstanceNameOffset, 0xfffffff0); }},
      {"instance name longer than the instance",
       [&](auto& b) { Put::Put32(b, instance + kInstanceNameLength, 0xffffffff); }},
      {"counter block of length zero",
       [&](auto& b) {
         const std::uint32_t length = b[instance] | (b[instance + 1] << 8);
         Put::Put32(b, instance + length, 0);
       }},
      {"counter block beyond the object",
       [&](auto& b) {
         const std::uint32_t length = b[instance] | (b[instance + 1] << 8);
         Put::Put32(b, instance + length, 0x00ffffff);
       }},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> block = sound;
    c.corrupt(block);
    EXPECT_EQ(Find(block, 238, 6, "_Total").Status, PerfLookup::Malformed) << c.what;
  }
}

TEST(PerfDataBlockTest, CounterBlockWithoutInstancesMustFitTheObject) {
  PerfBlockBuilder::Layout layout;
  auto block = PerfBlockBuilder(kTime)
                   .Add(FakeObject(2, {240}, std::vector<std::int64_t>{5}))
                   .Build(&layout);
  PerfBlockBuilder::Put32(block, layout.FirstInstance[0], 0x100);
  EXPECT_EQ(Find(block, 2, 240, "").Status, PerfLookup::Malformed);
}

}  // namespace
}  // namespace karvo::load_notifier
