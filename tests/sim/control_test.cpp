#include "sim/control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace karvo::sim {
namespace {

std::optional<Command> Parse(std::vector<std::string_view> args) { return ParseCommand(args); }

TEST(ParseNumberTest, DecimalAndHexWithinTheLimit) {
  struct Case {
    const char* text;
    std::uint32_t max;
    std::optional<std::uint32_t> expected;
  };
  const Case cases[] = {
      {"0", 9, 0},
      {"9", 9, 9},
      {"10", 9, std::nullopt},
      {"0x4000", 0xFFFF, 0x4000},
      {"0XfF", 0xFFFF, 0xFF},
      {"0x10000", 0xFFFF, std::nullopt},
      {"4000", 0xFFFF, 4000},
      {"", 9, std::nullopt},
      {"0x", 9, std::nullopt},
      {"-1", 9, std::nullopt},
      {"+1", 9, std::nullopt},
      {"1a", 0xFFFF, std::nullopt},
      {" 1", 9, std::nullopt},
      {"99999999999999999999", 0xFFFFFFFF, std::nullopt},
      {"4294967295", 0xFFFFFFFF, 0xFFFFFFFF},
      {"4294967296", 0xFFFFFFFF, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseNumber(c.text, c.max), c.expected) << c.text;
}

TEST(ParseCommandTest, EveryCommand) {
  struct Case {
    std::vector<std::string_view> args;
    Command expected;
  };
  const Case cases[] = {
      {{"press", "1"}, {Op::kPress, 1}},
      {{"release", "9"}, {Op::kRelease, 9}},
      {{"click", "0x4"}, {Op::kClick, 4}},
      {{"event", "0x4000", "260"}, {Op::kEvent, 0x4000, 260}},
      {{"unplug"}, {Op::kUnplug}},
      {{"plug"}, {Op::kPlug}},
      {{"status", "ok"}, {Op::kStatusOk}},
      {{"status", "busy", "3"}, {Op::kStatusBusy, 3}},
      {{"status", "busy-forever"}, {Op::kStatusBusyForever}},
      {{"status", "fail"}, {Op::kStatusFail}},
      {{"status", "silent"}, {Op::kStatusSilent}},
      {{"reports"}, {Op::kReports}},
      {{"reports", "--clear"}, {Op::kReportsClear}},
      {{"state"}, {Op::kState}},
      {{"firmware", "255"}, {Op::kFirmware, 255}},
      {{"reset"}, {Op::kReset}},
  };
  for (const Case& c : cases) {
    const auto parsed = Parse(c.args);
    ASSERT_TRUE(parsed.has_value()) << c.args[0];
    EXPECT_EQ(*parsed, c.expected) << c.args[0];
  }
}

TEST(ParseCommandTest, MalformedCommands) {
  const std::vector<std::vector<std::string_view>> cases = {
      {},
      {"press"},
      {"press", "0"},
      {"press", "10"},
      {"click", "4", "5"},
      {"event", "0x4000"},
      {"event", "0x10000", "1"},
      {"event", "1", "65536"},
      {"unplug", "now"},
      {"status"},
      {"status", "busy"},
      {"status", "busy", "x"},
      {"status", "ok", "1"},
      {"status", "slow"},
      {"reports", "--all"},
      {"firmware", "256"},
      {"firmware"},
      {"Press", "1"},
      {"fly"},
  };
  for (const auto& args : cases) {
    EXPECT_FALSE(Parse(args).has_value()) << (args.empty() ? "(none)" : args[0]);
  }
}

class NullHost : public IFirmwareHost {
 public:
  void PostEvent(std::uint32_t word) override { events.push_back(word); }
  void PostPresence(bool arrived) override { presence.push_back(arrived); }
  void SaveState(std::span<const std::uint8_t>) override {}
  std::uint64_t NowMs() override { return 42; }
  std::vector<std::uint32_t> events;
  std::vector<bool> presence;
};

class ExecuteTest : public ::testing::Test {
 protected:
  Reply Run(std::vector<std::string_view> args) {
    const auto command = Parse(args);
    EXPECT_TRUE(command.has_value());
    return command ? Execute(fw, *command) : Reply{};
  }
  NullHost host;
  Firmware fw{host, {}};
};

TEST_F(ExecuteTest, ClickPostsPressAndRelease) {
  // Button 6 is CPI up by default (code 14): only the press posts, 2 -> 4 in mask 74.
  const Reply cpi = Run({"click", "6"});
  EXPECT_EQ(cpi.exitCode, kExitOk);
  EXPECT_EQ(cpi.text, "posted 0xB0000004\nnothing posted\n");
  EXPECT_EQ(Run({"press", "1"}).text, "nothing posted\n");
  EXPECT_EQ(host.events, (std::vector<std::uint32_t>{0xB0000004}));
}

TEST_F(ExecuteTest, ButtonsWhileUnpluggedAreRefused) {
  EXPECT_EQ(Run({"unplug"}).text, "unplugged\n");
  const Reply r = Run({"click", "6"});
  EXPECT_EQ(r.exitCode, kExitRefused);
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(Run({"plug"}).exitCode, kExitOk);
  EXPECT_EQ(host.presence, (std::vector<bool>{false, true}));
}

TEST_F(ExecuteTest, RawEventAndStatusAndFirmware) {
  EXPECT_EQ(Run({"event", "0x7F00", "2"}).text, "posted 0x7F000002\n");
  EXPECT_EQ(host.events, (std::vector<std::uint32_t>{0x7F000002}));
  EXPECT_EQ(Run({"status", "busy", "4"}).text, "status busy 4\n");
  EXPECT_EQ(fw.GetStatusMode(), StatusMode::kBusy);
  EXPECT_EQ(Run({"status", "silent"}).text, "status silent\n");
  EXPECT_EQ(Run({"firmware", "0x70"}).text, "firmware 112\n");
  EXPECT_EQ(fw.State().firmwareVersion, 0x70);
}

TEST_F(ExecuteTest, StateListsEverythingOneItemALine) {
  const std::string text = Run({"state"}).text;
  EXPECT_EQ(text.substr(0, text.find("sensor0")),
            "slot 0\nmode 1\ncpi 2\nlevel 10\nfirmware 102\nplugged 1\nopen 0\nhost 0\n"
            "status ok\n");
  const std::string sensor0 = "sensor0 062B000A0A4A00";
  EXPECT_NE(text.find(sensor0), std::string::npos);
  EXPECT_NE(text.find("\nbuttons4 073B04010000020000030000"), std::string::npos);
}

TEST_F(ExecuteTest, ReportsAndClearAndReset) {
  ASSERT_TRUE(fw.OpenFeatureDevice());
  std::vector<std::uint8_t> level = {8, 6, 3, 0, 0, 0};
  ASSERT_TRUE(fw.SetFeature(level));
  EXPECT_EQ(Run({"reports"}).text, "42 SET 8 ok 080603000000\n");
  EXPECT_EQ(Run({"reports", "--clear"}).text, "cleared\n");
  EXPECT_EQ(Run({"reports"}).text, "");
  EXPECT_EQ(Run({"reset"}).text, "factory state\n");
  EXPECT_EQ(fw.State(), FactoryState());
}

TEST_F(ExecuteTest, CommandsFromTheChannelAreCheckedAgain) {
  EXPECT_EQ(Execute(fw, {Op::kPress, 0}).exitCode, kExitMalformed);
  EXPECT_EQ(Execute(fw, {Op::kClick, 10}).exitCode, kExitMalformed);
  EXPECT_EQ(Execute(fw, {Op::kEvent, 0x10000, 0}).exitCode, kExitMalformed);
  EXPECT_EQ(Execute(fw, {Op::kFirmware, 256}).exitCode, kExitMalformed);
  EXPECT_EQ(Execute(fw, {static_cast<Op>(99)}).exitCode, kExitMalformed);
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(fw.State(), FactoryState());
}

TEST(ChannelRecordTest, RequestsRoundTripAndForeignRecordsAreRefused) {
  const Command c{Op::kEvent, 0x4000, 0x104};
  const ChannelRequest r = EncodeRequest(c, 7);
  EXPECT_EQ(r.sequence, 7u);
  EXPECT_EQ(DecodeRequest(r), c);
  ChannelRequest foreign = r;
  foreign.magic = 0;
  EXPECT_FALSE(DecodeRequest(foreign).has_value());
  for (std::uint32_t op : {0u, 17u, 0xFFFFFFFFu}) {
    ChannelRequest bad = r;
    bad.op = op;
    EXPECT_FALSE(DecodeRequest(bad).has_value()) << op;
  }
}

TEST(ChannelRecordTest, ReplyTextStaysInsideItsField) {
  auto reply = std::make_unique<ChannelReply>();
  EncodeReply({kExitRefused, "a\nb\n"}, 3, *reply);
  EXPECT_EQ(reply->sequence, 3u);
  EXPECT_EQ(reply->exitCode, 3u);
  EXPECT_EQ(ReplyText(*reply), "a\nb\n");
  reply->length = 0xFFFFFFFF;  // a hostile length field
  EXPECT_EQ(ReplyText(*reply).size(), kReplyTextCapacity);

  // Too long a text is cut after the last whole line that fits.
  std::string line(99, 'x');
  line += '\n';
  std::string longText;
  while (longText.size() <= kReplyTextCapacity) longText += line;
  EncodeReply({kExitOk, longText}, 4, *reply);
  EXPECT_LE(reply->length, kReplyTextCapacity);
  EXPECT_EQ(reply->length % 100, 0u);
  EXPECT_EQ(ReplyText(*reply).back(), '\n');
}

TEST(ChannelRecordTest, AFullReportsLogFitsOneReply) {
  NullHost host;
  Firmware fw(host, {});
  ASSERT_TRUE(fw.OpenFeatureDevice());
  std::vector<std::uint8_t> big(200, 0xFF);
  big[0] = 7;
  for (std::size_t i = 0; i < kReportLogCapacity; ++i) ASSERT_TRUE(fw.GetFeature(big));
  const Reply r = Execute(fw, {Op::kReports});
  EXPECT_LT(r.text.size(), kReplyTextCapacity);
  EXPECT_EQ(std::count(r.text.begin(), r.text.end(), '\n'), static_cast<long>(kReportLogCapacity));
}

}  // namespace
}  // namespace karvo::sim
