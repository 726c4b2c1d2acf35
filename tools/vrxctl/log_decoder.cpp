#include "log_decoder.h"

#include <cstdio>
#include <ostream>
#include <vector>

#include "log_failures.h"
#include "log_records.h"
#include "log_report.h"
#include "log_summary.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace VrxctlLog {

namespace {

// Output is written in blocks of about this size.
constexpr size_t FlushBytes = 1 << 16;
// Output held while it is not known yet whether the input is a traffic
// log (garbage lines before the first record) goes to a temporary file
// beyond this.
constexpr size_t HeldBytes = 1 << 22;

// Formats entries into a buffer and writes it out in blocks; holds it all
// until the input is known to be a traffic log.
class TPrinter : public TEntrySink {
  public:
    TPrinter(const TDecodeOptions& options, std::ostream& out) : options(options), out(out) {
        buffer.reserve(2 * FlushBytes);
        if (!options.json)
            buffer += EntryTextHeading() + "\n";
    }

    ~TPrinter() {
        if (spill != nullptr)
            std::fclose(spill);
    }

    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    void Entry(const TLogEntry& entry) override {
        if (options.json)
            AppendEntryJson(buffer, entry);
        else
            AppendEntryText(buffer, entry);
        buffer.push_back('\n');
        if (options.failuresOnly && entry.kind == TEntryKind::Exchange)
            AppendRecordLines(buffer, entry, options.json);
    }

    void Append(const std::string& text) { buffer += text; }

    // Writes the buffer out once it is large enough.
    void Flush(bool isLog, bool always) {
        if (!always && buffer.size() < (isLog ? FlushBytes : HeldBytes))
            return;
        if (!isLog) {
            if (spill == nullptr)
                spill = std::tmpfile();
            if (spill != nullptr &&
                std::fwrite(buffer.data(), 1, buffer.size(), spill) == buffer.size())
                buffer.clear();
            return;
        }
        if (spill != nullptr) {
            std::rewind(spill);
            std::vector<char> block(FlushBytes);
            for (size_t n; (n = std::fread(block.data(), 1, block.size(), spill)) > 0;)
                out.write(block.data(), static_cast<std::streamsize>(n));
            std::fclose(spill);
            spill = nullptr;
        }
        out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        buffer.clear();
    }

  private:
    const TDecodeOptions options;
    std::ostream& out;
    std::string buffer;
    std::FILE* spill = nullptr;
};

// Every entry to the summary, and to the printer or through the failure filter.
class TRouter : public TEntrySink {
  public:
    TRouter(TSummaryBuilder& summary, TEntrySink& print) : summary(summary), print(print) {}

    void Entry(const TLogEntry& entry) override {
        summary.Add(entry);
        print.Entry(entry);
    }

  private:
    TSummaryBuilder& summary;
    TEntrySink& print;
};

}  // namespace

class TLogDecoder::TState {
  public:
    TState(const TDecodeOptions& options, std::ostream& out)
        : options(options),
          printer(options, out),
          failures(printer),
          router(summary, options.failuresOnly ? static_cast<TEntrySink&>(failures)
                                               : static_cast<TEntrySink&>(printer)),
          assembler(router, options.failuresOnly) {}

    void Line(const TLogLine& line) {
        switch (parser.Parse(line)) {
            case TLineParser::TKind::Blank:
                ++blankLines;
                return;
            case TLineParser::TKind::Record:
                ++records;
                isLog = true;
                assembler.AddRecord(parser.Record(), line.text);
                return;
            case TLineParser::TKind::Header:
                isLog = true;
                assembler.AddHeader(parser.Header());
                return;
            case TLineParser::TKind::Unparsed:
                assembler.AddUnparsed(line.number, line.text, line.cutOff);
        }
    }

    const TDecodeOptions options;
    TLineSplitter splitter;
    TLineParser parser;
    TSummaryBuilder summary;
    TPrinter printer;
    TFailureFilter failures;
    TRouter router;
    TEntryAssembler assembler;
    size_t records = 0;
    size_t blankLines = 0;
    bool isLog = false;
};

TLogDecoder::TLogDecoder(const TDecodeOptions& options, std::ostream& out)
    : state(std::make_unique<TState>(options, out)) {}

TLogDecoder::~TLogDecoder() = default;

void TLogDecoder::Feed(std::string_view chunk) {
    TState& s = *state;
    s.splitter.Feed(chunk, [&s](const TLogLine& line) { s.Line(line); });
    s.printer.Flush(s.isLog, false);
}

bool TLogDecoder::Finish() {
    TState& s = *state;
    s.splitter.Finish([&s](const TLogLine& line) { s.Line(line); });
    if (!s.isLog)
        return false;
    s.assembler.Finish();
    const TLogSummary summary = s.summary.Result(s.splitter.Lines(), s.records);
    s.printer.Append(s.options.json ? SummaryJson(summary) + "\n" : SummaryText(summary));
    s.printer.Flush(true, true);
    return true;
}

bool TLogDecoder::Empty() const {
    return state->blankLines == state->splitter.Lines();
}

namespace {

bool Refuse(const TLogDecoder& decoder, const std::string& name, std::ostream& out,
            std::ostream& err) {
    err << "vrxctl: " << name << " is not a traffic log: "
        << (decoder.Empty() ? "it is empty" : "none of its lines is a log header or record")
        << "\n";
    out.flush();
    return false;
}

}  // namespace

bool PrintDecodedLog(std::string_view text, const std::string& name, const TDecodeOptions& options,
                     std::ostream& out, std::ostream& err) {
    TLogDecoder decoder(options, out);
    decoder.Feed(text);
    if (!decoder.Finish())
        return Refuse(decoder, name, out, err);
    out.flush();
    return true;
}

bool DecodeLogFile(const std::string& path, const TDecodeOptions& options, std::ostream& out,
                   std::ostream& err) {
    const bool standardInput = path == "-";
    std::FILE* file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
    const std::string name = standardInput ? "standard input" : path;
    if (file == nullptr) {
        err << "vrxctl: cannot read " << name << "\n";
        return false;
    }
#ifdef _WIN32
    if (standardInput)
        _setmode(_fileno(stdin), _O_BINARY);
#endif
    TLogDecoder decoder(options, out);
    std::vector<char> block(1 << 20);
    for (size_t n; (n = std::fread(block.data(), 1, block.size(), file)) > 0;)
        decoder.Feed(std::string_view(block.data(), n));
    const bool failed = std::ferror(file) != 0;
    if (!standardInput)
        std::fclose(file);
    if (failed) {
        err << "vrxctl: cannot read " << name << "\n";
        return false;
    }
    if (!decoder.Finish())
        return Refuse(decoder, name, out, err);
    out.flush();
    return true;
}

}  // namespace VrxctlLog
