// One corpus of awkward settings files (profile_corpus.txt) read into the
// record and written through the profile functions, against one
// expectation (profile_expected.txt) taken from Windows. Under Wine this
// runs the real GetPrivateProfileStringA and WritePrivateProfileStringA,
// natively the POSIX platform: both must give the expected values and bytes.
// On a difference the test prints the block the expectation would need.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/settings/settings_file.h"
#include "platform/platform.h"
#include "test_support.h"

namespace {

// ---- The corpus' text escapes ----------------------------------------------
// \r \n \t \0 \\ \xHH as usual, \uXXXX for one UTF-16 unit (files written
// as UTF-16), and {N*c} for N times the character c.
std::u16string Units(const std::string& text) {
    std::u16string units;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '{') {
            const std::size_t star = text.find('*', i), close = text.find('}', i);
            if (star != std::string::npos && close == star + 2 && star > i + 1 &&
                text.find_first_not_of("0123456789", i + 1) == star) {
                units.append(std::strtoul(text.c_str() + i + 1, nullptr, 10),
                             static_cast<unsigned char>(text[star + 1]));
                i = close;
                continue;
            }
        }
        if (c != '\\' || i + 1 >= text.size()) {
            units += static_cast<unsigned char>(c);
            continue;
        }
        const char e = text[++i];
        switch (e) {
            case 'r': units += u'\r'; break;
            case 'n': units += u'\n'; break;
            case 't': units += u'\t'; break;
            case '0': units += u'\0'; break;
            case 'x':
            case 'u': {
                const std::size_t digits = e == 'x' ? 2 : 4;
                units += static_cast<char16_t>(std::strtoul(text.substr(i + 1, digits).c_str(), nullptr, 16));
                i += digits;
                break;
            }
            default: units += static_cast<unsigned char>(e);
        }
    }
    return units;
}

std::string Bytes(const std::u16string& units) {
    std::string bytes;
    for (char16_t unit : units) bytes += static_cast<char>(unit);
    return bytes;
}

std::string Utf16(const std::u16string& units, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// A file's bytes as the corpus writes them: escaped text, or "utf16le TEXT"
// and "utf16be TEXT" for the text in UTF-16 with its byte-order mark.
std::string FileBytes(const std::string& text) {
    if (text.rfind("utf16le ", 0) == 0) return Utf16(Units(text.substr(8)), false);
    if (text.rfind("utf16be ", 0) == 0) return Utf16(Units(text.substr(8)), true);
    return Bytes(Units(text));
}

std::string Escape(const std::string& bytes) {
    std::string text;
    char hex[8];
    for (char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        switch (c) {
            case '\\': text += "\\\\"; break;
            case '\r': text += "\\r"; break;
            case '\n': text += "\\n"; break;
            case '\t': text += "\\t"; break;
            default:
                if (u >= 0x20 && u < 0x7F && c != '{') {
                    text += c;
                } else {
                    std::snprintf(hex, sizeof hex, "\\x%02X", u);
                    text += hex;
                }
        }
    }
    return text;
}

// ---- The corpus and its expectation ------------------------------------------

struct Corpus {
    std::u16string base;
    std::vector<std::string> names;  // in the corpus' order
    std::map<std::string, std::vector<std::string>> lines;
    std::map<std::string, bool> writes;
    std::map<std::string, std::vector<std::string>> expected;
};

std::vector<std::string> TextLines(const std::string& relative) {
    std::ifstream in(TestDataPath(relative), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    }
    return lines;
}

const Corpus& TheCorpus() {
    static const Corpus corpus = [] {
        Corpus c;
        std::string current;
        for (const std::string& line : TextLines("settings/profile_corpus.txt")) {
            if (line == "@base") {
                current.clear();
                c.names.push_back("base");
                c.writes["base"] = false;
            } else if (line.rfind("@case ", 0) == 0 || line.rfind("@write ", 0) == 0) {
                const bool write = line[1] == 'w';
                std::istringstream words(line.substr(write ? 7 : 6));
                words >> current;
                c.names.push_back(current);
                c.writes[current] = write;
            } else if (current.empty()) {
                c.base += Units(line) + u"\r\n";
            } else {
                c.lines[current].push_back(line);
            }
        }
        for (const std::string& line : TextLines("settings/profile_expected.txt")) {
            if (line[0] == '[' && line.back() == ']')
                current = line.substr(1, line.size() - 2);
            else
                c.expected[current].push_back(line);
        }
        return c;
    }();
    return corpus;
}

// A case's lines; none when the case has none.
const std::vector<std::string>& LinesOf(const std::map<std::string, std::vector<std::string>>& cases,
                                        const std::string& name) {
    static const std::vector<std::string> none;
    const auto found = cases.find(name);
    return found == cases.end() ? none : found->second;
}

// ---- Record fields -----------------------------------------------------------

const SettingKey* KeyNamed(const std::string& name) {
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        if (name == SettingKeys()[i].key) return &SettingKeys()[i];
    }
    return nullptr;
}

std::string ValueText(const char (&text)[kSettingsTextSize]) { return Escape(text); }
std::string ValueText(std::int32_t value) { return std::to_string(value); }
std::string ValueText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}
std::string ValueText(bool value) { return value ? "1" : "0"; }

std::string FieldText(ServerSettings& settings, const SettingKey& key) {
    return VisitField(settings, key.field, [](const auto& value) { return ValueText(value); });
}

// Sets fields from "Key=value" lines; "~" stands for the default.
void Apply(ServerSettings& settings, const std::vector<std::string>& lines) {
    ServerSettings defaults;
    defaults.SetDefaults();
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        const SettingKey* key = KeyNamed(line.substr(0, equals));
        ASSERT_TRUE(equals != std::string::npos && key != nullptr) << "bad expectation line: " << line;
        const std::string value = line.substr(equals + 1);
        if (value == "~") {
            // The same field of the defaults, by the same handle.
            const unsigned char* from = reinterpret_cast<const unsigned char*>(&defaults) + key->field.offset;
            VisitField(settings, key->field, [&](auto& field) { std::memcpy(&field, from, sizeof field); });
        } else {
            // {N*c} here; SetField takes the other escapes.
            std::string expanded;
            for (char16_t unit : Units(value))
                expanded += unit == u'\\' ? std::string("\\\\") : std::string(1, static_cast<char>(unit));
            ASSERT_TRUE(SetField(settings, key->key, expanded)) << line;
        }
    }
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
        parts.push_back(text.substr(start, at - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

class ProfileCorpus : public CoreTest, public ::testing::WithParamInterface<std::string> {
protected:
    std::string Path() const { return UserFile("Servolt.ini"); }

    // The base file with the case's changes.
    std::string CaseFile(const std::vector<std::string>& operations) {
        std::u16string text = TheCorpus().base;
        int encoding = 0;  // 0 bytes, 1 UTF-16 LE, 2 UTF-16 BE
        for (const std::string& operation : operations) {
            if (operation == "utf16le" || operation == "utf16be") {
                encoding = operation == "utf16le" ? 1 : 2;
                continue;
            }
            const std::size_t arrow = operation.find(" => ");
            EXPECT_NE(arrow, std::string::npos) << operation;
            if (arrow == std::string::npos) continue;
            const std::u16string from = Units(operation.substr(0, arrow)), to = Units(operation.substr(arrow + 4));
            if (from == u"^") {
                text = to + text;
            } else if (from == u"$") {
                text += to;
            } else {
                std::size_t at = text.find(from);
                EXPECT_NE(at, std::u16string::npos) << "not in the base file: " << operation;
                for (; at != std::u16string::npos; at = text.find(from, at + to.size()))
                    text.replace(at, from.size(), to);
            }
        }
        return encoding == 0 ? Bytes(text) : Utf16(text, encoding == 2);
    }

    void CheckRead(const std::string& name) {
        const Corpus& corpus = TheCorpus();
        WriteBytes(Path(), CaseFile(LinesOf(corpus.lines, name)));
        ServerSettings read;
        read.SetDefaults();
        read.ReadSettings(context_.places);

        ServerSettings base, expected;
        base.SetDefaults();
        Apply(base, LinesOf(corpus.expected, "base"));
        expected = base;
        if (name != "base") Apply(expected, LinesOf(corpus.expected, name));

        ServerSettings defaults;
        defaults.SetDefaults();
        std::string differences, block;
        for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
            const SettingKey& key = SettingKeys()[i];
            const std::string got = FieldText(read, key);
            if (got != FieldText(expected, key)) {
                differences +=
                    std::string("\n  ") + key.key + ": read " + got + ", expected " + FieldText(expected, key);
            }
            if (got != FieldText(name == "base" ? defaults : base, key)) {
                block +=
                    std::string("\n") + key.key + "=" + (got == FieldText(defaults, key) && name != "base" ? "~" : got);
            }
        }
        EXPECT_TRUE(differences.empty()) << differences << "\nas read:\n[" << name << "]" << block;
        EXPECT_TRUE(notices_.empty());
    }

    // Runs the case's script; gives what its reads got, in the
    // expectation's form.
    std::vector<std::string> RunScript(const std::vector<std::string>& script) {
        std::vector<std::string> results;
        for (const std::string& line : script) {
            const std::size_t space = line.find(' ');
            const std::string verb = line.substr(0, space),
                              rest = space == std::string::npos ? "" : line.substr(space + 1);
            if (verb == "file") {
                WriteBytes(Path(), FileBytes(rest));
                continue;
            }
            std::vector<std::string> arguments;
            for (const std::string& part : Split(rest, '|')) arguments.push_back(Bytes(Units(part)));
            arguments.resize(4);
            auto argument = [&](std::size_t i) {
                return Split(rest, '|').size() > i && Split(rest, '|')[i] == "NULL" ? nullptr : arguments[i].c_str();
            };
            if (verb == "put") {
                EXPECT_TRUE(platform::WriteProfileString(argument(0), argument(1), argument(2), Path().c_str()))
                    << line;
            } else if (verb == "get") {
                const unsigned long size =
                    arguments[3].empty() ? 8208 : std::strtoul(arguments[3].c_str(), nullptr, 10);
                std::vector<char> buffer(size + 1, '*');
                const unsigned long length = platform::ReadProfileString(argument(0), argument(1), argument(2),
                                                                         buffer.data(), size, Path().c_str());
                EXPECT_EQ(length, std::strlen(buffer.data())) << line;
                results.push_back("get " + Escape(std::string(buffer.data(), length)));
            } else {
                ADD_FAILURE() << "bad script line: " << line;
            }
        }
        return results;
    }

    void CheckWrite(const std::string& name) {
        const Corpus& corpus = TheCorpus();
        std::vector<std::string> expected = LinesOf(corpus.expected, name);
        for (std::string& line : expected) {
            if (line.rfind("file ", 0) == 0)
                line = "file " + Escape(FileBytes(line.substr(5)));
            else if (line.rfind("get ", 0) == 0)
                line = "get " + Escape(Bytes(Units(line.substr(4))));
            else if (line == "get")
                line = "get ";  // read nothing
        }
        const std::vector<std::string> script = LinesOf(corpus.lines, name);
        // Call by call, and as one session: the POSIX platform then writes
        // once at the end, and must leave the same bytes.
        for (bool session : {false, true}) {
            platform::RemoveFile(Path().c_str());
            std::vector<std::string> got;
            {
                platform::ProfileSession batch(session ? Path().c_str() : nullptr);
                got = RunScript(script);
                EXPECT_TRUE(batch.Commit());
            }
            got.push_back(FileExists(Path()) ? "file " + Escape(ReadBytes(Path())) : "no file");
            std::string block;
            for (const std::string& line : got) block += "\n" + line;
            EXPECT_EQ(got, expected) << (session ? "in one session" : "call by call") << "; as done:\n[" << name << "]"
                                     << block;
        }
    }
};

TEST_P(ProfileCorpus, ReadAndWrittenAsWindowsDoes) {
    ASSERT_TRUE(TheCorpus().writes.count(GetParam())) << "no such case";
    if (TheCorpus().writes.at(GetParam()))
        CheckWrite(GetParam());
    else
        CheckRead(GetParam());
}

std::vector<std::string> CaseNames() {
    std::vector<std::string> names = TheCorpus().names;
    if (names.empty()) names.push_back("corpus-not-found");
    return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileCorpus, ::testing::ValuesIn(CaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
