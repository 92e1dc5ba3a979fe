// Writes a diagnostic log of realistic lines: date, time, three blanks and 4 to 8 attributes,
// several computers and processes, every trace class, and a share of malformed lines.
//   zt_loggen OUTPUT LINES [SEED] [--hosts N] [--traceclass N] [--bare] [--blank-runs] [--utf16]
//             [--in-time-order]
// --hosts N draws the computers from N names (PC00001...) instead of a handful; --traceclass N
// gives every line that trace class (with --hosts 1: the whole log in one group); --bare writes
// only the three attributes that file a line (computer, process, trace class); --blank-runs ends
// every line in a value that holds runs of three blanks, so that its time text runs to it; --utf16 writes
// UTF-16LE without a byte-order mark, as the suite's own Events.log is; --in-time-order dates
// the lines from 01.12.2026 on as their times run, where by default a new day begins every
// 90,000 lines whatever the time and the 28 days come round again. The same arguments
// always give the same bytes (CR LF line ends).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

const char* const kHosts[] = {"PC1",      "PC2", "LEITSTAND-01", "LEITSTAND-02",
                              "SERVER-A", "pc1", "OS-STATION-7", "ENG-12"};
const char* const kProcesses[] = {"MORKAT.EXE",    "ZtServiceController.exe",
                                  "VistralOS.exe", "Alarmserver.exe",
                                  "TrendDB.exe",   "Archiv.exe",
                                  "ProjMan.exe",   "svchost.exe",
                                  "OPCBridge.exe", "Reporter.exe",
                                  "Redundanz.exe", "Uhrzeit.exe"};
const char* const kWords[] = {"Verbindung",
                              "zum",
                              "Server",
                              "unterbrochen",
                              "Wert",
                              "gespeichert",
                              "Timeout",
                              "beim",
                              "Lesen",
                              "von",
                              "Variable",
                              "Kanal",
                              "neu",
                              "gestartet",
                              "Fehler",
                              "Datei",
                              "nicht",
                              "gefunden",
                              "C:\\Vistral\\Projekt\\Anlage.cfg",
                              "OK",
                              "Redundanz",
                              "aktiv",
                              "Alarm",
                              "quittiert",
                              "\xC4nderung",
                              "gr\xF6\xDF"
                              "er",
                              "als",
                              "Grenzwert",
                              "100.5%"};
const int kTraceClasses[] = {0, 0, 0, 0, 0, 0, 1, 1, 1, 2, 2, 3, 5, 7};
const long kCodes[] = {-2147467259, -2147024894, -2147024891, -2147418113, -2147220992, 0, 1, -1073741819};

template <typename T, size_t N> constexpr uint32_t Count(const T (&)[N]) {
    return static_cast<uint32_t>(N);
}

class Generator {
public:
    Generator(uint32_t seed, uint32_t hosts, int traceClass, bool bare, bool blankRuns, bool inTimeOrder)
        : m_random(seed), m_hosts(hosts), m_traceClass(traceClass), m_bare(bare), m_blankRuns(blankRuns),
          m_inTimeOrder(inTimeOrder) {}

    void Line(std::string& out, uint64_t n) {
        const uint32_t kind = Pick(1000);
        if (kind < 3) { // separator lines of another writer
            out += "------------------------------------------------------------------------\r\n";
            return;
        }
        if (kind < 5) {
            out += "\r\n";
            return;
        }
        if (kind < 10) { // a line without header
            out += "Host=\"";
            out += Host();
            out += "\" Meldung ohne Kopf\r\n";
            return;
        }
        const uint64_t seconds = 8 * 3600 + n / 3;
        unsigned day = static_cast<unsigned>(1 + (n / 90000) % 28), month = 12, year = 2026;
        if (m_inTimeOrder) {
            if (seconds / 86400 != m_datedDays)
                DateAfter(m_datedDays = seconds / 86400, m_date[0], m_date[1], m_date[2]);
            day = m_date[0], month = m_date[1], year = m_date[2];
        }
        char header[40];
        std::snprintf(header, sizeof header, "%02u.%02u.%04u %02u:%02u:%02u   ", day, month, year,
                      static_cast<unsigned>((seconds / 3600) % 24),
                      static_cast<unsigned>((seconds / 60) % 60), static_cast<unsigned>(seconds % 60));
        out += header;
        Attribute(out, "Host", Host());
        Attribute(out, "Process", kProcesses[Pick(Count(kProcesses))]);
        const int traceClass = kTraceClasses[Pick(Count(kTraceClasses))];
        Attribute(out, "Traceclass", std::to_string(m_traceClass < 0 ? traceClass : m_traceClass));
        const uint32_t extra = m_bare ? 0 : 1 + Pick(5); // 4 to 8 attributes in all
        for (uint32_t i = 0; i < extra; ++i) {
            switch (Pick(6)) {
            case 0:
                Attribute(out, "HResult", std::to_string(kCodes[Pick(Count(kCodes))]));
                break;
            case 1:
                Attribute(out, "CaptionID", std::to_string(5000 + Pick(2)));
                break;
            case 2:
                Attribute(out, "TextID", std::to_string(5000 + Pick(3)));
                break;
            case 3:
                Attribute(out, "Mode", std::to_string(Pick(4)));
                break;
            case 4:
                Attribute(out, "Thread", std::to_string(1000 + Pick(9000)));
                break;
            default: {
                std::string text;
                for (uint32_t w = 2 + Pick(5); w > 0; --w) {
                    text += kWords[Pick(Count(kWords))];
                    text += w > 1 ? " " : ".";
                }
                Attribute(out, "Text", text);
            }
            }
        }
        if (m_blankRuns || (!m_bare && Pick(500) == 0))
            out += "Text=\"Wert   mit drei Leerzeichen\" ";
        out.back() = '\r';
        out += '\n';
    }

private:
    // The date `days` after 01.12.2026.
    static void DateAfter(uint64_t days, unsigned& day, unsigned& month, unsigned& year) {
        static const unsigned kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        day = 1, month = 12, year = 2026;
        for (; days > 0; --days) {
            const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
            if (++day > kLengths[month - 1] + (month == 2 && leap))
                day = 1, month = month % 12 + 1, year += month == 1;
        }
    }
    uint32_t Pick(uint32_t n) { return static_cast<uint32_t>(m_random() % n); }
    std::string Host() {
        if (m_hosts == 0)
            return kHosts[Pick(Count(kHosts))];
        char name[16];
        std::snprintf(name, sizeof name, "PC%05u", static_cast<unsigned>(1 + Pick(m_hosts)));
        return name;
    }
    static void Attribute(std::string& out, const char* name, const std::string& value) {
        out += name;
        out += "=\"";
        out += value;
        out += "\" ";
    }
    std::mt19937 m_random;
    uint32_t m_hosts;
    int m_traceClass; // negative: drawn per line
    bool m_bare;
    bool m_blankRuns; // every line ends in a value with runs of three blanks: its time runs to it
    bool m_inTimeOrder;
    uint64_t m_datedDays = 0; // the date of that many days after 01.12.2026, kept
    unsigned m_date[3] = {1, 12, 2026};
};

// The bytes of 8-bit text as UTF-16LE (the generator's text is Latin-1).
std::string Utf16(const std::string& text) {
    std::string wide(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i)
        wide[2 * i] = text[i];
    return wide;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: zt_loggen OUTPUT LINES [SEED] [--hosts N] [--traceclass N] [--bare] "
                             "[--blank-runs] [--utf16] [--in-time-order]\n");
        return 2;
    }
    const uint64_t lines = std::strtoull(argv[2], nullptr, 10);
    uint32_t seed = 1, hosts = 0;
    int traceClass = -1;
    bool utf16 = false, bare = false, blankRuns = false, inTimeOrder = false;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--utf16")
            utf16 = true;
        else if (arg == "--bare")
            bare = true;
        else if (arg == "--blank-runs")
            blankRuns = true;
        else if (arg == "--in-time-order")
            inTimeOrder = true;
        else if (arg == "--hosts" && i + 1 < argc)
            hosts = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        else if (arg == "--traceclass" && i + 1 < argc)
            traceClass = static_cast<int>(std::strtol(argv[++i], nullptr, 10));
        else
            seed = static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10));
    }
    Generator generator(seed, hosts, traceClass, bare, blankRuns, inTimeOrder);
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    std::string block;
    for (uint64_t n = 0; n < lines; ++n) {
        generator.Line(block, n);
        if (block.size() > (1u << 20) || n + 1 == lines) {
            if (utf16)
                block = Utf16(block);
            if (std::fwrite(block.data(), 1, block.size(), file) != block.size()) {
                std::perror(argv[1]);
                std::fclose(file);
                return 1;
            }
            block.clear();
        }
    }
    return std::fclose(file) == 0 ? 0 : 1;
}
