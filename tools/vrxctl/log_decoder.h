// `vrxctl log`: a traffic log read in pieces of any size (a file, or
// standard input), decoded and printed as it goes, in memory that does not
// grow with the log: entries leave as soon as they are complete, and the
// summary keeps counts and answer-time histograms.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace VrxctlLog {

struct TDecodeOptions {
    bool json = false;
    bool failuresOnly = false;  // only the failures, with their context (TFailureFilter)
};

class TLogDecoder {
  public:
    TLogDecoder(const TDecodeOptions& options, std::ostream& out);
    ~TLogDecoder();

    void Feed(std::string_view chunk);
    // Prints the rest and the summary; false, having printed nothing, when
    // no line is a header or a record.
    bool Finish();
    // Every line is blank (or there is none).
    bool Empty() const;

  private:
    class TState;
    std::unique_ptr<TState> state;
};

// Decodes text and prints every entry and the summary on out. False, with
// the reason on err, when no line of it is a traffic-log line.
bool PrintDecodedLog(std::string_view text, const std::string& name, const TDecodeOptions& options,
                     std::ostream& out, std::ostream& err);

// As PrintDecodedLog, on the file at path ("-": standard input); false also
// when it cannot be read.
bool DecodeLogFile(const std::string& path, const TDecodeOptions& options, std::ostream& out,
                   std::ostream& err);

}  // namespace VrxctlLog
