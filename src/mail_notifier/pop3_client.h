#pragma once
// A POP3 (RFC 1939) client for one exchange: connect and log in with USER/PASS,
// a few commands, QUIT. Every wait is bounded; a wait that times out ends the
// operation with false and leaves the last error as it was.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mail_notifier/stream_socket.h"

namespace karvo::mail {

// "+OK" / "-ERR" at the start of a reply, letter case ignored.
bool IsPositiveReply(std::string_view reply);
bool IsNegativeReply(std::string_view reply);

struct Pop3Limits {
  int WaitMs = 60000;     // each wait; a one-line reply must be complete within it
  int TopWaitMs = 90000;  // each wait for the lines of a TOP reply
  int ConnectAttempts = 3;
  // A multi-line reply (LIST, RETR, TOP) larger than this fails instead of
  // growing without limit.
  std::size_t MaxMultiLineBytes = 4 * 1024 * 1024;
};

class Pop3Client {
 public:
  // A reply line is judged once CR LF arrived or this many bytes are buffered.
  static constexpr std::size_t kReplyBufferSize = 1000;
  static constexpr std::size_t kServerNameSize = 260;

  explicit Pop3Client(std::unique_ptr<IStreamSocket> socket, IClock& clock = SteadyClock(),
                      Pop3Limits limits = {});

  // Connects (up to three attempts) and logs in.
  [[nodiscard]] bool Connect(std::string_view server, std::string_view user,
                             std::string_view password, int port);
  [[nodiscard]] bool Statistics();
  [[nodiscard]] bool Disconnect();
  [[nodiscard]] bool List();
  [[nodiscard]] bool Retrieve(int n);
  [[nodiscard]] bool Top(int n, std::string& text);
  [[nodiscard]] bool Delete(int n);
  [[nodiscard]] bool Noop();
  [[nodiscard]] bool Reset();

  int MessageCount() const { return m_messageCount; }
  const std::string& LastError() const { return m_lastError; }
  // The message of the last RETR and the header of the last TOP, without the
  // status line and the terminating ".", dot-stuffing undone.
  const std::string& MessageText() const { return m_messageText; }
  const std::string& HeaderText() const { return m_headerText; }
  const std::vector<int>& MessageSizes() const { return m_messageSizes; }

 private:
  enum class Reply { Ok, Bad, NoReply };

  bool SendCommand(std::string_view command);
  // One reply line without its CR LF; false when no whole line came in time.
  bool ReadLine(std::string& line);
  // The lines after a good status line up to the terminating "."; false when
  // they did not all arrive or exceed the bound. tooLarge tells the two apart.
  bool ReadMultiLine(int waitMs, std::string& body, bool& tooLarge);
  // After an over-long reply line: drops what is left of it, within the deadline.
  void DropThroughLineEnd(std::int64_t deadline);
  bool ReceiveMore(int waitMs, std::size_t maxBytes);
  using ReplyJudge = bool (*)(std::string_view reply);
  // Sends the command and judges its status line (by default: it begins with "+OK").
  Reply Exchange(std::string_view command, std::string* line = nullptr,
                 ReplyJudge good = &IsPositiveReply);
  // Exchange, with `error` as the last error when the status line is not good.
  bool SimpleCommand(std::string_view command, const char* error, std::string* line = nullptr,
                     ReplyJudge good = &IsPositiveReply);
  // SimpleCommand followed by the lines up to "." into body (emptied on every failure).
  bool MultiLineCommand(std::string_view command, const char* error, int waitMs, std::string& body,
                        ReplyJudge good = &IsPositiveReply);

  std::unique_ptr<IStreamSocket> m_socket;
  IClock& m_clock;
  Pop3Limits m_limits;
  std::string m_pending;  // received, not yet consumed
  int m_messageCount = 0;
  std::vector<int> m_messageSizes;
  std::string m_messageText;
  std::string m_headerText;
  std::string m_lastError;
};

// The decimal number after the first blank of a line (blanks skipped, stops at
// the first non-digit). Absent when the line has no blank; 0 when no digits follow;
// absent as well when the number does not fit an int.
struct ParsedNumber {
  bool HasBlank = false;
  bool Fits = true;
  int Value = 0;
};
ParsedNumber NumberAfterFirstBlank(std::string_view line);

}  // namespace karvo::mail
