// Compiles the note texts tools/music/musicN.txt into the game's background
// tracks data/musicN.mid (Standard MIDI, type 1, 480 ticks a quarter note).
// The format is described in tools/music/README.md. The same text always
// gives the same bytes. A text with a bar that does not add up, a note out of
// its voice's range, voices of unequal length or anything unreadable is
// refused with file:line and bar, and nothing is written for it.
//
//   gen-music [ROOT]                   every ROOT/tools/music/musicN.txt -> ROOT/data/musicN.mid
//   gen-music FILE OUT                 one text
//   gen-music --only VOICE FILE OUT    just that voice (for balance checks)
//   gen-music --without VOICE FILE OUT everything but that voice
//   gen-music --check [FILE...]        structure figures; fails on a track that loops
//   gen-music --credits [FILE...]      each piece's title, composer and the score it was checked against
//   gen-music --measure WAV...         level figures of rendered audio (scripts/music-levels)
//   gen-music --for-font FONT MID OUT  the track as the game plays it through FONT; prints the synthesiser's gain
//   gen-music --session M1 M2 M3 WAV...  the peak where the cues meet the tracks, mixed as in play
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "shell/sound_files.h"

namespace {

constexpr long kDivision = 480;        // ticks per quarter note
constexpr long kWhole = 4 * kDivision;
constexpr double kTailSeconds = 1.0;   // after the last bar, so the pedal's release dies away before the end
constexpr double kGapSeconds = 1.5;    // between two pieces of one track
constexpr double kMaxRepeatSeconds = 20.0;
constexpr double kMinDistinctShare = 0.40;
constexpr int kMaxSameVelocity = 24;  // a melody's notes in a row at one loudness: more sounds mechanical

// ---- reading the text ----

struct Failure {
  std::string message;
};

bool ReadSmallFile(const std::string& path, std::string& out, std::string& why) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return why = "cannot open", false;
  if (!S_ISREG(st.st_mode)) return why = "not a regular file", false;
  if (st.st_size > (1 << 20)) return why = "larger than 1 MiB", false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return why = "cannot open", false;
  std::ostringstream s;
  s << in.rdbuf();
  out = s.str();
  return true;
}

struct Token {
  enum Kind { kNote, kRest, kBar, kOpen, kClose, kCommand } kind = kNote;
  std::vector<int> pitches;  // one for a note, several for a chord
  long duration = 0;         // ticks; 0 = the voice's last duration
  bool tie = false, staccato = false, roll = false;  // roll: spread the chord from the bottom up
  std::string command;       // without the backslash
  int a = 0, b = 0;          // command arguments: \tuplet a/b, \time a/b, \repeat a, \tempo a, \vel a
  long length = 0;           // \partial
  int line = 0;
  int bar = 0;               // written bar number, for messages
};

struct Voice {
  std::string name;
  int program = 0, channel = 0, volume = 100, pan = 64, reverb = 40, gate = 95;
  int swell = -1, accent = -1;  // velocity shaping over a phrase and a bar; -1: by the voice's role
  int low = 0, high = 127;
  bool melody = false;
  bool solid = false;  // its chords are struck at once unless marked \roll
  int line = 0;
  std::vector<Token> tokens;
  // While reading: the written bar number, whether the bar has music yet, whether the voice has any token.
  int writtenBar = 1;
  bool barHasMusic = false, started = false;
  // Compiled:
  struct Note {
    long start, end;  // ticks; end = where it stops sounding
    int pitch, velocity;
    int line = 0, bar = 0;  // where it is written, for messages
    bool roll = false;      // struck in a chord that is spread
    int rank = 0, struck = 1;  // its place from the bottom among the notes struck with it, and their number
    long delay = 0;         // ticks the performance strikes it late (a rolled chord)
    int played = 0;         // the velocity as performed
  };
  struct Control {
    long tick;
    int number, value;
  };
  std::vector<Note> notes;
  std::vector<Control> controls;
  std::vector<long> barLines;  // ticks where bars end
  long length = 0;
};

struct Piece {
  std::string title, composer, checked;
  int tempo = 0, timeNum = 0, timeDen = 0;
  int line = 0;
  std::vector<int> phrases;  // bars per phrase, the last repeated; empty: played as written
  int rubato = 8;            // per cent slower over the last beat of a phrase
  std::vector<Voice> voices;
  std::vector<std::pair<long, double>> tempos;           // tick, quarter notes a minute
  std::vector<std::pair<long, std::pair<int, int>>> times;  // tick, time signature
  long partial = 0;          // the upbeat's length
  long length = 0;
};

// The compass of the General MIDI instruments the tracks may use, as MIDI notes:
// a voice's declared range must lie inside its instrument's. Programs not
// listed are not checked.
struct Compass {
  int first, last, low, high;  // programs first..last play low..high
};
constexpr Compass kCompasses[] = {
    {0, 3, 21, 108},   {4, 5, 28, 103},   {6, 6, 29, 89},    {7, 7, 36, 96},    {8, 8, 60, 108},
    {9, 9, 79, 108},   {10, 10, 60, 96},  {11, 11, 53, 89},  {12, 12, 45, 96},  {13, 13, 65, 108},
    {14, 14, 60, 77},  {15, 15, 36, 96},  {16, 23, 24, 108}, {24, 31, 40, 88},
    {32, 39, 28, 67},  {40, 40, 55, 103}, {41, 41, 48, 91},  {42, 42, 36, 84},  {43, 43, 28, 67},
    {44, 45, 28, 103}, {46, 46, 23, 103}, {47, 47, 36, 57},  {48, 55, 28, 103}, {56, 56, 52, 84},
    {57, 57, 40, 72},  {58, 58, 28, 58},  {59, 59, 52, 82},  {60, 60, 34, 77},  {61, 63, 36, 96},
    {64, 64, 56, 87},  {65, 65, 49, 81},  {66, 66, 44, 76},  {67, 67, 36, 69},  {68, 68, 58, 91},
    {69, 69, 52, 81},  {70, 70, 34, 75},  {71, 71, 50, 91},  {72, 72, 74, 108}, {73, 76, 60, 96},
    {77, 77, 55, 91},  {78, 78, 60, 96},  {79, 79, 60, 84},
};

// Patches that swell in slowly (string ensembles, choirs, pads): they smear short notes.
bool SlowAttack(int program) { return (program >= 48 && program <= 54) || (program >= 88 && program <= 95); }

// Whether a chord struck by one hand is spread from the bottom up: a harp or a
// guitar spreads every chord; a keyboard player one that the hand cannot take
// at once (wider than a ninth) or a full chord of an octave or more.
bool Rolls(int program, const std::vector<int>& pitches) {
  if (pitches.size() < 2) return false;
  const int span = pitches.back() - pitches.front();
  if (program == 46 || (program >= 24 && program <= 31)) return true;
  if (program > 7) return false;
  return span > 14 || (pitches.size() >= 3 && span >= 12);
}

class Parser {
 public:
  Parser(std::string file, bool countRangeErrors) : file_(std::move(file)), lenientRange_(countRangeErrors) {}

  std::vector<Piece> pieces;
  int outOfRange = 0;

  void Parse(const std::string& text) {
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
      ++lineNo;
      line_ = lineNo;
      const size_t hash = raw.find('#');
      std::string line = raw.substr(0, hash);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::istringstream words(line);
      std::string first;
      if (!(words >> first)) continue;
      const size_t colon = first.find(':');
      if (colon != std::string::npos) {
        const std::string name = first.substr(0, colon);
        Voice* v = Current().voices.empty() ? nullptr : FindVoice(name);
        if (!v) Fail("music for the undeclared voice '" + name + "'");
        const size_t at = line.find(':');
        Tokenize(*v, line.substr(at + 1));
        continue;
      }
      std::string rest;
      std::getline(words, rest);
      rest = Trim(rest);
      if (first == "piece") {
        if (!pieces.empty() && !pieces.back().voices.empty()) CheckDeclarations(pieces.back());
        pieces.emplace_back();
        pieces.back().line = lineNo;
      } else if (first == "title") {
        Current().title = rest;
      } else if (first == "composer") {
        Current().composer = rest;
      } else if (first == "checked") {
        Current().checked = rest;
      } else if (first == "tempo") {
        Current().tempo = Number(rest, 20, 400, "tempo");
      } else if (first == "time") {
        ParseTime(rest, Current().timeNum, Current().timeDen);
      } else if (first == "phrases") {
        std::istringstream counts(rest);
        std::string n;
        Current().phrases.clear();
        while (counts >> n) Current().phrases.push_back(Number(n, 1, 64, "a phrase's bars"));
        if (Current().phrases.empty()) Fail("phrases needs the bars of each phrase, e.g. 'phrases 4' or 'phrases 4 4 2'");
      } else if (first == "rubato") {
        Current().rubato = Number(rest, 0, 30, "rubato");
      } else if (first == "voice") {
        DeclareVoice(rest);
      } else {
        Fail("unknown line '" + first + "'");
      }
    }
    if (pieces.empty()) Fail("no piece in the text");
    for (Piece& p : pieces) {
      line_ = p.line;
      CheckDeclarations(p);
      Compile(p);
    }
  }

 private:
  Piece& Current() {
    if (pieces.empty()) {  // the first piece needs no `piece` line
      pieces.emplace_back();
      pieces.back().line = line_;
    }
    return pieces.back();
  }
  Voice* FindVoice(const std::string& name) {
    for (Voice& v : Current().voices)
      if (v.name == name) return &v;
    return nullptr;
  }

  [[noreturn]] void Fail(const std::string& what, int bar = -1) const {
    std::string where = file_ + ":" + std::to_string(line_);
    if (bar >= 0) where += ": bar " + std::to_string(bar);
    throw Failure{where + ": " + what};
  }

  static std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
  }

  int Number(const std::string& s, int lo, int hi, const std::string& what) const {
    size_t used = 0;
    int v = 0;
    try {
      v = std::stoi(s, &used);
    } catch (...) {
      Fail(what + " needs a number, not '" + s + "'");
    }
    if (Trim(s.substr(used)) != "" || v < lo || v > hi)
      Fail(what + " must be a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) + ", not '" +
           s + "'");
    return v;
  }

  void ParseTime(const std::string& s, int& num, int& den) const {
    const size_t slash = s.find('/');
    if (slash == std::string::npos) Fail("a time signature looks like 3/4, not '" + s + "'");
    num = Number(s.substr(0, slash), 1, 32, "the time signature's count");
    den = Number(s.substr(slash + 1), 1, 32, "the time signature's note value");
    if (den != 1 && den != 2 && den != 4 && den != 8 && den != 16 && den != 32)
      Fail("the time signature's note value must be 1, 2, 4, 8, 16 or 32");
  }

  // A pitch such as fis'' or bes, at `s[i]`; advances i.
  int ParsePitch(const std::string& s, size_t& i) const {
    static const int kSteps[] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    const char letter = s[i++];
    int pitch = 48 + kSteps[letter - 'a'];
    if ((letter == 'e' || letter == 'a') && i < s.size() && s[i] == 's') --pitch, ++i;  // es, as
    while (i + 1 < s.size() && (s.compare(i, 2, "is") == 0 || s.compare(i, 2, "es") == 0)) {
      pitch += s[i] == 'i' ? 1 : -1;
      i += 2;
    }
    while (i < s.size() && (s[i] == '\'' || s[i] == ',')) pitch += s[i++] == '\'' ? 12 : -12;
    if (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i])))
      Fail("cannot read the pitch near '" + s.substr(i, 8) + "'");
    if (pitch < 0 || pitch > 127) Fail("pitch outside MIDI's range");
    return pitch;
  }

  // A duration such as 4, 8. or 2.. at `s[i]`; 0 when none is written.
  long ParseDuration(const std::string& s, size_t& i) const {
    if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return 0;
    int d = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) d = d * 10 + (s[i++] - '0');
    if (d != 1 && d != 2 && d != 4 && d != 8 && d != 16 && d != 32 && d != 64)
      Fail("a duration is 1, 2, 4, 8, 16, 32 or 64, not " + std::to_string(d));
    long ticks = kWhole / d, add = ticks;
    while (i < s.size() && s[i] == '.') {
      add /= 2;
      ticks += add;
      ++i;
    }
    return ticks;
  }

  void ParseAfterNote(const std::string& s, size_t& i, Token& t) const {
    t.duration = ParseDuration(s, i);
    while (i < s.size() && (s[i] == '~' || s[i] == '^')) (s[i++] == '~' ? t.tie : t.staccato) = true;
    if (i < s.size() && s[i] == '\\')
      Fail("'" + s.substr(i, s.find_first_of(" \t|{}", i) - i) +
           "' applies to the notes after it: put it before them, apart from the note before it");
    if (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i])) && s[i] != '|' && s[i] != '}' &&
        s[i] != '{')
      Fail("cannot read '" + s.substr(i, 8) + "' after a note");
  }

  void Tokenize(Voice& v, const std::string& s) {
    size_t i = 0;
    // Written bar numbers: a bar line closes a bar only when something came since the last one.
    struct {
      int& bar;
      bool &content, &any;
    } st{v.writtenBar, v.barHasMusic, v.started};
    auto skip = [&] {
      while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    };
    auto word = [&] {
      skip();
      const size_t a = i;
      while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i])) && s[i] != '{' && s[i] != '}' &&
             s[i] != '|')
        ++i;
      return s.substr(a, i - a);
    };
    for (;;) {
      skip();
      if (i >= s.size()) break;
      Token t;
      t.line = line_;
      t.bar = st.bar;
      const char c = s[i];
      if (c == '|') {
        ++i;
        t.kind = Token::kBar;
        if (st.content) ++st.bar, st.content = false;
      } else if (c == '{' || c == '}') {
        ++i;
        t.kind = c == '{' ? Token::kOpen : Token::kClose;
      } else if (c == '<') {
        ++i;
        for (;;) {
          skip();
          if (i >= s.size()) Fail("a chord without its closing '>'", st.bar);
          if (s[i] == '>') break;
          if (s[i] < 'a' || s[i] > 'g') Fail("cannot read '" + s.substr(i, 8) + "' in a chord", st.bar);
          t.pitches.push_back(ParsePitch(s, i));
        }
        ++i;
        if (t.pitches.empty()) Fail("an empty chord", st.bar);
        ParseAfterNote(s, i, t);
        st.content = true;
      } else if (c == 'r') {
        ++i;
        t.kind = Token::kRest;
        ParseAfterNote(s, i, t);
        if (t.tie) Fail("a rest cannot be tied", st.bar);
        st.content = true;
      } else if (c >= 'a' && c <= 'g') {
        t.pitches.push_back(ParsePitch(s, i));
        ParseAfterNote(s, i, t);
        st.content = true;
      } else if (c == '\\') {
        ++i;
        t.kind = Token::kCommand;
        t.command = word();
        const std::string& cmd = t.command;
        if (cmd == "tuplet" || cmd == "time") {
          int num = 0, den = 0;
          ParseTime(word(), num, den);
          t.a = num, t.b = den;
          if (cmd == "tuplet" && (num < 2 || den < 1)) Fail("a tuplet looks like \\tuplet 3/2 { ... }", st.bar);
        } else if (cmd == "repeat") {
          std::string n = word();
          if (n == "volta" || n == "unfold") n = word();
          t.a = Number(n, 1, 16, "\\repeat");
        } else if (cmd == "tempo") {
          t.a = Number(word(), 20, 400, "\\tempo");
        } else if (cmd == "vel") {
          t.a = Number(word(), 1, 127, "\\vel");
        } else if (cmd == "partial") {
          const std::string d = word();
          size_t j = 0;
          t.length = ParseDuration(d, j);
          if (t.length == 0 || j != d.size()) Fail("\\partial needs a duration such as 8 or 4.", st.bar);
          if (st.any) Fail("\\partial must come first in every voice", st.bar);
          st.bar = 0;
          t.bar = 0;
        } else if (cmd != "pp" && cmd != "p" && cmd != "mp" && cmd != "mf" && cmd != "f" && cmd != "ff" &&
                   cmd != "ped" && cmd != "unped" && cmd != "roll") {
          Fail("unknown command \\" + cmd, st.bar);
        }
      } else {
        Fail(std::string("cannot read '") + s.substr(i, 8) + "'", st.bar);
      }
      if (t.kind != Token::kBar) st.any = true;  // bar lines may come before an upbeat
      v.tokens.push_back(t);
    }
  }

  void DeclareVoice(const std::string& rest) {
    std::istringstream in(rest);
    Voice v;
    v.line = line_;
    if (!(in >> v.name) || v.name.find(':') != std::string::npos) Fail("a voice needs a name");
    if (FindVoice(v.name)) Fail("voice '" + v.name + "' is declared twice");
    std::string key;
    auto value = [&](int lo, int hi) {
      std::string s;
      if (!(in >> s)) Fail("'" + key + "' needs a value");
      return Number(s, lo, hi, key);
    };
    bool hasRange = false;
    while (in >> key) {
      if (key == "program") v.program = value(0, 127);
      else if (key == "channel") v.channel = value(0, 15);
      else if (key == "volume") v.volume = value(0, 127);
      else if (key == "pan") v.pan = value(0, 127);
      else if (key == "reverb") v.reverb = value(0, 127);
      else if (key == "gate") v.gate = value(1, 100);
      else if (key == "swell") v.swell = value(0, 40);
      else if (key == "accent") v.accent = value(0, 20);
      else if (key == "melody") v.melody = true;
      else if (key == "solid") v.solid = true;
      else if (key == "range") {
        std::string lo, hi;
        if (!(in >> lo >> hi)) Fail("range needs the lowest and the highest note");
        size_t i = 0, j = 0;
        if (lo.empty() || lo[0] < 'a' || lo[0] > 'g' || hi.empty() || hi[0] < 'a' || hi[0] > 'g')
          Fail("range needs two pitches such as d' a''");
        v.low = ParsePitch(lo, i);
        v.high = ParsePitch(hi, j);
        if (i != lo.size() || j != hi.size() || v.low > v.high) Fail("range needs two pitches, low then high");
        hasRange = true;
      } else {
        Fail("unknown voice setting '" + key + "'");
      }
    }
    if (v.channel == 9) Fail("channel 9 is the drum kit; use another");
    if (!hasRange) Fail("voice '" + v.name + "' needs a range");
    for (const Compass& c : kCompasses)
      if (v.program >= c.first && v.program <= c.last && (v.low < c.low || v.high > c.high))
        Fail("voice '" + v.name + "': range " + PitchName(v.low) + "–" + PitchName(v.high) + " goes beyond program " +
             std::to_string(v.program) + "'s compass " + PitchName(c.low) + "–" + PitchName(c.high));
    Current().voices.push_back(v);
  }

  void CheckDeclarations(Piece& p) {
    line_ = p.line;
    if (p.voices.empty()) Fail("a piece without voices");
    if (p.tempo == 0) Fail("the piece has no tempo line");
    if (p.timeNum == 0) Fail("the piece has no time line");
    int melodies = 0;
    for (const Voice& v : p.voices) {
      melodies += v.melody;
      for (const Voice& w : p.voices) {
        if (&w == &v || w.channel != v.channel) continue;
        line_ = std::max(v.line, w.line);
        if (w.program != v.program || w.volume != v.volume || w.pan != v.pan || w.reverb != v.reverb)
          Fail("voices '" + w.name + "' and '" + v.name + "' share channel " + std::to_string(v.channel) +
               " but not program, volume, pan and reverb");
      }
      if (v.tokens.empty()) {
        line_ = v.line;
        Fail("voice '" + v.name + "' has no music");
      }
    }
    line_ = p.line;
    if (melodies != 1) Fail("a piece needs exactly one voice flagged 'melody'");
  }

  // ---- from tokens to notes ----

  struct Play {
    Voice* v;
    long pos = 0, inBar = 0, barLength = 0, partial = 0, lastDuration = kDivision;
    int velocity = 78, bars = 0;
    bool shortBar = false;  // a bar short by the upbeat was seen: only the last may be
    int shortBarLine = 0, shortBarNo = 0;
    std::map<int, size_t> tied;  // pitch -> index of its note in v->notes
    bool first = true;
    bool roll = false;  // \roll: the next chord is spread
    long played = 0;  // tokens played, repeats counted each time
    int depth = 0;    // of \repeat and \tuplet braces
  };

  void CloseBar(Play& pl, const Token& t, bool atEnd) {
    if (pl.inBar == 0) return;
    line_ = t.line;
    if (pl.shortBar) {
      line_ = pl.shortBarLine;
      Fail("only the last bar may be short by the upbeat (voice " + pl.v->name + ")", pl.shortBarNo);
    }
    const long expected = pl.bars == 0 && pl.partial > 0 ? pl.partial : pl.barLength;
    if (pl.inBar != expected) {
      if (pl.partial > 0 && pl.bars > 0 && pl.inBar == pl.barLength - pl.partial) {
        pl.shortBar = true;
        pl.shortBarLine = t.line;
        pl.shortBarNo = t.bar;
      } else {
        Fail("voice " + pl.v->name + ": the bar adds up to " + Ticks(pl.inBar) + ", not " + Ticks(expected) +
                 (atEnd ? " (at the end of the voice)" : ""),
             t.bar);
      }
    }
    pl.inBar = 0;
    ++pl.bars;
    pl.v->barLines.push_back(pl.pos);
  }

  static std::string Ticks(long ticks) {
    // In quarter notes, e.g. "2.5 quarter notes".
    std::ostringstream s;
    s << double(ticks) / kDivision << " quarter notes";
    return s.str();
  }

  // Plays tokens [from, to) of the voice, durations scaled by num/den (tuplets).
  void PlayRange(Play& pl, Piece& p, size_t from, size_t to, long num, long den) {
    std::vector<Token>& tokens = pl.v->tokens;
    if (++pl.depth > 8) Fail("\\repeat and \\tuplet nested more than 8 deep");
    for (size_t i = from; i < to; ++i) {
      const Token& t = tokens[i];
      line_ = t.line;
      if (++pl.played > 1000000) Fail("voice " + pl.v->name + " plays more than a million notes", t.bar);
      switch (t.kind) {
        case Token::kBar:
          CloseBar(pl, t, false);
          break;
        case Token::kOpen:
          Fail("a '{' belongs after \\repeat N or \\tuplet a/b", t.bar);
        case Token::kClose:
          Fail("a '}' without its '{'", t.bar);
        case Token::kCommand: {
          const std::string& c = t.command;
          if (c == "repeat" || c == "tuplet") {
            if (i + 1 >= to || tokens[i + 1].kind != Token::kOpen) Fail("\\" + c + " needs a '{' after it", t.bar);
            const size_t open = i + 1;
            size_t close = open + 1;
            for (int depth = 1; close < to; ++close) {
              if (tokens[close].kind == Token::kOpen) ++depth;
              if (tokens[close].kind == Token::kClose && --depth == 0) break;
            }
            if (close >= to) Fail("\\" + c + " without its closing '}'", t.bar);
            if (c == "repeat") {
              for (int n = 0; n < t.a; ++n) PlayRange(pl, p, open + 1, close, num, den);
            } else {
              PlayRange(pl, p, open + 1, close, num * t.b, den * t.a);
            }
            i = close;
          } else if (c == "time") {
            line_ = t.line;
            if (pl.inBar != 0) Fail("\\time must come at the start of a bar", t.bar);
            pl.barLength = kWhole * t.a / t.b;
            if (pl.v == &p.voices[0]) p.times.push_back({pl.pos, {t.a, t.b}});
          } else if (c == "tempo") {
            p.tempos.push_back({pl.pos, t.a});
          } else if (c == "partial") {
            if (!pl.first) Fail("\\partial must come first in every voice", t.bar);
            pl.partial = t.length;
          } else if (c == "vel") {
            pl.velocity = t.a;
          } else if (c == "roll") {
            pl.roll = true;
          } else if (c == "ped" || c == "unped") {
            pl.v->controls.push_back({pl.pos, 64, c == "ped" ? 127 : 0});
          } else {
            static const std::map<std::string, int> kDynamics = {{"pp", 36}, {"p", 50},  {"mp", 64},
                                                                  {"mf", 78}, {"f", 92}, {"ff", 106}};
            pl.velocity = kDynamics.at(c);
          }
          break;
        }
        case Token::kNote:
        case Token::kRest: {
          if (t.duration) pl.lastDuration = t.duration;
          if ((pl.lastDuration * num) % den != 0) Fail("a tuplet note shorter than the clock allows", t.bar);
          const long length = pl.lastDuration * num / den;
          Voice& v = *pl.v;
          std::map<int, size_t> tiedNow;
          std::set<int> here(t.pitches.begin(), t.pitches.end());
          std::vector<size_t> struck;  // the notes this token strikes (a tied note is not struck again)
          for (const auto& [pitch, index] : pl.tied)
            if (!here.count(pitch))
              Fail("voice " + v.name + ": " + PitchName(pitch) + " is tied to a note that does not follow", t.bar);
          for (int pitch : t.pitches) {
            if (pitch < v.low || pitch > v.high) {
              if (!lenientRange_)
                Fail("voice " + v.name + ": note " + PitchName(pitch) + " is outside its range " +
                         PitchName(v.low) + "–" + PitchName(v.high),
                     t.bar);
              ++outOfRange;
            }
            const long sounding = std::max(1L, t.staccato ? length / 2 : length * v.gate / 100);
            size_t index;
            auto it = pl.tied.find(pitch);
            if (it != pl.tied.end()) {
              index = it->second;
              v.notes[index].end = pl.pos + sounding;
            } else {
              index = v.notes.size();
              v.notes.push_back({pl.pos, pl.pos + sounding, pitch, pl.velocity, t.line, t.bar});
              struck.push_back(index);
            }
            if (t.tie) tiedNow[pitch] = index;
          }
          std::sort(struck.begin(), struck.end(),
                    [&](size_t a, size_t b) { return v.notes[a].pitch < v.notes[b].pitch; });
          std::vector<int> pitches;
          for (size_t k = 0; k < struck.size(); ++k) pitches.push_back(v.notes[struck[k]].pitch);
          const bool roll = pl.roll || (!v.solid && Rolls(v.program, pitches));
          for (size_t k = 0; k < struck.size(); ++k) {
            Voice::Note& n = v.notes[struck[k]];
            n.rank = static_cast<int>(k);
            n.struck = static_cast<int>(struck.size());
            n.roll = roll && struck.size() > 1;
          }
          if (t.kind == Token::kNote) pl.roll = false;
          pl.tied = tiedNow;
          pl.pos += length;
          pl.inBar += length;
          break;
        }
      }
      if (t.kind != Token::kBar) pl.first = false;
    }
    --pl.depth;
  }

  void Compile(Piece& p) {
    p.tempos.push_back({0, p.tempo});
    p.times.push_back({0, {p.timeNum, p.timeDen}});
    for (Voice& v : p.voices) {
      Play pl;
      pl.v = &v;
      pl.barLength = kWhole * p.timeNum / p.timeDen;
      PlayRange(pl, p, 0, v.tokens.size(), 1, 1);
      if (&v == &p.voices[0]) p.partial = pl.partial;
      Token end = v.tokens.back();
      CloseBar(pl, end, true);
      line_ = end.line;
      if (!pl.tied.empty()) Fail("voice " + v.name + " ends on a tie", end.bar);
      v.length = pl.pos;
    }
    std::stable_sort(p.tempos.begin(), p.tempos.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const Voice& first = p.voices[0];
    for (const Voice& v : p.voices) {
      if (v.length != first.length) {
        line_ = v.tokens.back().line;
        Fail("voice " + v.name + " lasts " + Ticks(v.length) + " but voice " + first.name + " lasts " +
             Ticks(first.length));
      }
    }
    p.length = first.length;
    // One key struck twice at once on one channel sounds doubled and is released once:
    // the score's shared note belongs to one voice only.
    std::map<std::tuple<int, long, int>, const Voice*> struck;  // channel, tick, pitch
    for (const Voice& v : p.voices)
      for (const Voice::Note& n : v.notes) {
        const auto [it, fresh] = struck.insert({{v.channel, n.start, n.pitch}, &v});
        if (fresh) continue;
        line_ = n.line;
        Fail("voices " + it->second->name + " and " + v.name + " strike " + PitchName(n.pitch) +
                 " at once on channel " + std::to_string(v.channel) + ": give the note to one of them",
             n.bar);
      }
  }

 public:
  static std::string PitchName(int pitch) {
    static const char* kNames[] = {"c", "cis", "d", "ees", "e", "f", "fis", "g", "aes", "a", "bes", "b"};
    std::string s = kNames[pitch % 12];
    for (int o = pitch / 12; o < 4; ++o) s += ',';
    for (int o = 4; o < pitch / 12; ++o) s += '\'';
    return s;
  }

 private:
  std::string file_;
  bool lenientRange_;
  int line_ = 0;
};

// ---- the performance: how a player shapes what is written ----
// A piece with a `phrases` line is played, not just sounded: each phrase swells
// towards its height and falls away at its end, the strong beats of a bar lean a
// little, the melody leans into its high notes, the last beat of a phrase
// broadens (and the middle presses on a little) and wide chords are spread from
// the bottom. The written loudness stays the mean, so the levels set in the text
// still hold. Everything is a function of the position: the same text always
// plays the same.

// The value in force at `tick` of a list sorted by tick (the last of equal ticks wins).
template <typename V>
V At(const std::vector<std::pair<long, V>>& list, long tick) {
  V v = list.front().second;
  for (const auto& [t, value] : list) {
    if (t > tick) break;
    v = value;
  }
  return v;
}

// The length of a beat: a dotted quarter (three eighths) in 6/8, 9/8 and 12/8.
long Beat(const Piece& p, long tick) {
  const auto [num, den] = At(p.times, tick);
  const long note = kWhole / den;
  return num > 3 && num % 3 == 0 && den >= 8 ? 3 * note : note;
}

// Where each phrase starts (ticks; the first at 0). In a piece with an upbeat
// every phrase starts with one.
std::vector<long> PhraseStarts(const Piece& p) {
  std::vector<long> starts = {0};
  if (p.phrases.empty()) return starts;
  const std::vector<long>& ends = p.voices[0].barLines;  // the upbeat's end first, when there is one
  const size_t first = p.partial > 0 ? 1 : 0;
  size_t bars = 0;
  for (size_t k = 0;; ++k) {
    bars += static_cast<size_t>(p.phrases[std::min(k, p.phrases.size() - 1)]);
    if (first + bars - 1 >= ends.size()) break;
    const long at = ends[first + bars - 1] - p.partial;
    const long barLength = kWhole * At(p.times, at).first / At(p.times, at).second;
    if (at <= starts.back() || p.length - at < barLength) break;  // a stub of a phrase joins the last
    starts.push_back(at);
  }
  return starts;
}

// The tempo factor at `tick` of phrase [from, to): a little on in its middle, broader
// over its last beat, unless the text itself changes the tempo at that end.
double Rubato(const Piece& p, long from, long to, bool last, long tick) {
  const double r = p.rubato / 100.0;
  const long length = to - from;
  double factor = tick >= from + length * 3 / 10 && tick < from + length * 6 / 10 ? 1 + r / 4 : 1.0;
  const long beat = Beat(p, to - 1);
  bool written = false;
  for (const auto& [t, bpm] : p.tempos)
    written = written || (t > 0 && t >= to - 2 * beat - kWhole && t <= to + beat);
  if (!last && !written) {
    if (tick >= to - beat / 2) factor = 1 - r;
    else if (tick >= to - beat) factor = 1 - r / 2;
  }
  return factor;
}

void Perform(Piece& p) {
  const std::vector<long> starts = PhraseStarts(p);
  const bool shaped = !p.phrases.empty();
  auto phraseOf = [&](long tick) {
    return static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), tick) - starts.begin() - 1);
  };
  auto endOf = [&](size_t i) { return i + 1 < starts.size() ? starts[i + 1] : p.length; };
  if (shaped) {
    std::set<long> points;
    for (const auto& [t, bpm] : p.tempos) points.insert(t);
    for (size_t i = 0; i < starts.size(); ++i) {
      const long from = starts[i], to = endOf(i), beat = Beat(p, to - 1);
      for (long t : {from, from + (to - from) * 3 / 10, from + (to - from) * 6 / 10, to - beat, to - beat / 2})
        if (t >= from && t < to) points.insert(t);
    }
    std::vector<std::pair<long, double>> performed;
    for (long t : points) {
      const size_t i = phraseOf(t);
      const double bpm = At(p.tempos, t) * Rubato(p, starts[i], endOf(i), i + 1 == starts.size(), t);
      if (performed.empty() || std::fabs(performed.back().second - bpm) > 1e-9) performed.push_back({t, bpm});
    }
    p.tempos = performed;
  }
  const std::vector<long>& lines = p.voices[0].barLines;
  for (Voice& v : p.voices) {
    const double swell = v.swell >= 0 ? v.swell : v.melody ? 16 : 10;
    const double accent = v.accent >= 0 ? v.accent : v.melody ? 6 : 4;
    std::vector<double> meanPitch(starts.size(), 0), count(starts.size(), 0);
    for (const Voice::Note& n : v.notes) meanPitch[phraseOf(n.start)] += n.pitch, ++count[phraseOf(n.start)];
    for (size_t i = 0; i < starts.size(); ++i) meanPitch[i] /= std::max(1.0, count[i]);
    for (Voice::Note& n : v.notes) {
      double shape = 0;
      if (shaped) {
        const size_t i = phraseOf(n.start);
        const double x = double(n.start - starts[i]) / double(endOf(i) - starts[i]);
        shape += swell * (std::sin(M_PI * std::pow(x, 1.36)) - 0.6);  // the height at 3/5 of the phrase
        const size_t bar = std::upper_bound(lines.begin(), lines.end(), n.start) - lines.begin();
        const long barStart = bar == 0 ? 0 : lines[bar - 1];
        const long barLength = kWhole * At(p.times, n.start).first / At(p.times, n.start).second;
        const long pos = n.start - barStart + (bar == 0 ? barLength - p.partial : 0);
        const long beat = Beat(p, n.start);
        const double weight = pos == 0 ? 1.0
                              : pos % beat != 0 ? 0.0
                              : (barLength / beat) % 2 == 0 && pos * 2 == barLength ? 0.5
                                                                                   : 0.25;
        shape += accent * (weight - 0.2);
        if (v.melody) shape += std::clamp(0.4 * (n.pitch - meanPitch[i]), -5.0, 5.0);
      }
      n.played = std::clamp(static_cast<int>(std::lround(n.velocity + shape)), 1, 127);
      if (n.roll && n.struck > 1) {
        const double spread = std::min(0.020, 0.010 + 0.0025 * (n.struck - 2));  // seconds, bottom to top
        const double bpm = At(p.tempos, n.start);
        n.delay = std::min((n.end - n.start) / 2,
                           std::lround(spread * n.rank / (n.struck - 1) * bpm * kDivision / 60.0));
      }
    }
  }
}

// ---- the whole track: pieces one after the other ----

struct Track {
  std::vector<Piece> pieces;
  std::vector<long> offsets;                    // each piece's start tick
  std::vector<std::pair<long, double>> tempos;  // the whole track's tempo map, as performed
  long end = 0;                                 // End of Track tick
  int outOfRange = 0;

  double Seconds(long tick) const {
    double s = 0;
    long at = 0;
    double bpm = tempos.empty() ? 120 : tempos[0].second;
    for (const auto& [t, b] : tempos) {
      if (t >= tick) break;
      s += double(t - at) * 60.0 / (bpm * kDivision);
      at = t;
      bpm = b;
    }
    return s + double(tick - at) * 60.0 / (bpm * kDivision);
  }
  long TicksFor(double seconds, double bpm) const { return std::lround(seconds * bpm * kDivision / 60.0); }
};

Track Load(const std::string& path, bool countRangeErrors) {
  std::string text, why;
  if (!ReadSmallFile(path, text, why)) throw Failure{path + ": " + why};
  Parser parser(path, countRangeErrors);
  parser.Parse(text);
  Track t;
  t.pieces = std::move(parser.pieces);
  t.outOfRange = parser.outOfRange;
  long at = 0;
  for (size_t i = 0; i < t.pieces.size(); ++i) {
    Piece& p = t.pieces[i];
    Perform(p);
    t.offsets.push_back(at);
    for (const auto& [tick, bpm] : p.tempos) t.tempos.push_back({at + tick, bpm});
    const double lastBpm = t.tempos.back().second;
    at += p.length + t.TicksFor(i + 1 < t.pieces.size() ? kGapSeconds : kTailSeconds, lastBpm);
  }
  t.end = at;
  return t;
}

// ---- writing the file ----

void PutVarLen(std::vector<uint8_t>& out, long value) {
  uint8_t buf[5];
  int n = 0;
  do {
    buf[n++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value > 0);
  while (n > 0) {
    --n;
    out.push_back(static_cast<uint8_t>(buf[n] | (n > 0 ? 0x80 : 0)));
  }
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

class TrackData {
 public:
  void Meta(long tick, uint8_t type, const std::string& data) {
    std::vector<uint8_t> b = {0xFF, type};
    PutVarLen(b, static_cast<long>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    Add(tick, 0, b);
  }
  void Short(long tick, int order, uint8_t status, uint8_t a, uint8_t b, bool twoBytes = true) {
    std::vector<uint8_t> e = {status, a};
    if (twoBytes) e.push_back(b);
    Add(tick, order, e);
  }

  // The track chunk, closed by an End of Track event at `end`.
  std::vector<uint8_t> Chunk(long end) const {
    std::vector<Event> sorted = events_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
      return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::vector<uint8_t> body;
    long last = 0;
    for (const Event& e : sorted) {
      PutVarLen(body, e.tick - last);
      last = e.tick;
      body.insert(body.end(), e.bytes.begin(), e.bytes.end());
    }
    PutVarLen(body, std::max(0L, end - last));
    body.insert(body.end(), {0xFF, 0x2F, 0x00});
    std::vector<uint8_t> chunk = {'M', 'T', 'r', 'k'};
    Put32(chunk, static_cast<uint32_t>(body.size()));
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
  }

 private:
  struct Event {
    long tick;
    int order;  // at one tick: 0 meta, 1 note off, 2 set-up and controllers, 3 note on
    std::vector<uint8_t> bytes;
  };
  void Add(long tick, int order, std::vector<uint8_t> bytes) { events_.push_back({tick, order, std::move(bytes)}); }
  std::vector<Event> events_;
};

enum class Filter { kAll, kOnly, kWithout };

bool Keeps(const Voice& v, Filter filter, const std::string& name) {
  if (filter == Filter::kAll) return true;
  const bool match = v.name == name || (name == "melody" && v.melody);
  return filter == Filter::kOnly ? match : !match;
}

// Notes whose note-off must wait: MIDI ends every sounding copy of a key on a channel
// at once, so when two voices on one channel hold the same pitch, the earlier
// release waits for the later. Keyed by voice index and note index.
std::set<std::pair<size_t, size_t>> HeldOver(const Piece& p, Filter filter, const std::string& voiceName) {
  std::set<std::pair<size_t, size_t>> held;
  std::map<std::pair<int, int>, std::vector<std::pair<size_t, size_t>>> byKey;  // (channel, pitch) -> notes
  for (size_t vi = 0; vi < p.voices.size(); ++vi) {
    if (!Keeps(p.voices[vi], filter, voiceName)) continue;
    for (size_t ni = 0; ni < p.voices[vi].notes.size(); ++ni)
      byKey[{p.voices[vi].channel, p.voices[vi].notes[ni].pitch}].push_back({vi, ni});
  }
  for (const auto& [key, notes] : byKey) {
    for (const auto& a : notes) {
      const Voice::Note& na = p.voices[a.first].notes[a.second];
      for (const auto& b : notes) {
        const Voice::Note& nb = p.voices[b.first].notes[b.second];
        if (a != b && nb.start < na.end && nb.end > na.end) held.insert(a);
      }
    }
  }
  return held;
}

std::vector<uint8_t> WriteMidi(const Track& t, Filter filter, const std::string& voiceName) {
  std::deque<TrackData> tracks(1);  // a deque: the conductor's reference stays valid
  TrackData& conductor = tracks[0];
  std::string name;
  for (const Piece& p : t.pieces) name += (name.empty() ? "" : " / ") + p.title;
  conductor.Meta(0, 0x03, name);
  for (const auto& [tick, bpm] : t.tempos) {
    const long us = std::lround(60000000.0 / bpm);
    conductor.Meta(tick, 0x51, std::string{char(us >> 16), char(us >> 8), char(us)});
  }
  for (size_t i = 0; i < t.pieces.size(); ++i) {
    const Piece& p = t.pieces[i];
    for (const auto& [tick, sig] : p.times) {
      int power = 0;
      while ((1 << power) < sig.second) ++power;
      conductor.Meta(t.offsets[i] + tick, 0x58, std::string{char(sig.first), char(power), 24, 8});
    }
    const std::set<std::pair<size_t, size_t>> held = HeldOver(p, filter, voiceName);
    std::set<int> pedalled;  // channels whose pedal is written
    for (size_t vi = 0; vi < p.voices.size(); ++vi) {
      const Voice& v = p.voices[vi];
      if (!Keeps(v, filter, voiceName)) continue;
      tracks.emplace_back();
      TrackData& d = tracks.back();
      const long at = t.offsets[i];
      const uint8_t ch = static_cast<uint8_t>(v.channel);
      if (i == 0) d.Meta(0, 0x03, v.name);
      d.Short(at, 2, 0xC0 | ch, static_cast<uint8_t>(v.program), 0, false);
      d.Short(at, 2, 0xB0 | ch, 7, static_cast<uint8_t>(v.volume));
      d.Short(at, 2, 0xB0 | ch, 10, static_cast<uint8_t>(v.pan));
      d.Short(at, 2, 0xB0 | ch, 91, static_cast<uint8_t>(v.reverb));
      d.Short(at, 2, 0xB0 | ch, 64, 0);
      // One instrument has one pedal: a voice's \ped holds every channel of its program.
      std::vector<Voice::Control> pedal;
      if (pedalled.insert(v.channel).second)  // written once, with the channel's first voice
        for (const Voice& w : p.voices)
          if (w.program == v.program) pedal.insert(pedal.end(), w.controls.begin(), w.controls.end());
      std::stable_sort(pedal.begin(), pedal.end(), [](const auto& a, const auto& b) { return a.tick < b.tick; });
      for (const Voice::Control& c : pedal)
        d.Short(at + c.tick, 2, 0xB0 | ch, static_cast<uint8_t>(c.number), static_cast<uint8_t>(c.value));
      for (size_t ni = 0; ni < v.notes.size(); ++ni) {
        const Voice::Note& n = v.notes[ni];
        d.Short(at + n.start + n.delay, 3, 0x90 | ch, static_cast<uint8_t>(n.pitch), static_cast<uint8_t>(n.played));
        if (!held.count({vi, ni})) d.Short(at + n.end, 1, 0x80 | ch, static_cast<uint8_t>(n.pitch), 0);
      }
      d.Short(at + p.length, 2, 0xB0 | ch, 64, 0);  // a pedal left down lifts at the piece's end
    }
  }
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
  file.push_back(static_cast<uint8_t>(tracks.size() >> 8));
  file.push_back(static_cast<uint8_t>(tracks.size()));
  file.push_back(static_cast<uint8_t>(kDivision >> 8));
  file.push_back(static_cast<uint8_t>(kDivision & 0xFF));
  for (const TrackData& d : tracks) {
    const std::vector<uint8_t> chunk = d.Chunk(t.end);
    file.insert(file.end(), chunk.begin(), chunk.end());
  }
  return file;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// ---- structure figures ----

struct Structure {
  int bars = 0, distinct = 0;
  double longestRepeat = 0;  // seconds of a 4-bar block played back to back
  double seconds = 0;
  std::string smeared;  // a slow-attack voice that plays mostly short notes
  int loudness = 0, sameRun = 0;  // the melody's distinct velocities, and most notes in a row at one
  int rolled = 0;                 // chords spread
};

Structure Measure(const Track& t) {
  // Each bar (the first voice's bar lines) as a key over all voices: onset in the bar,
  // pitch, sounding length, loudness step and instrument. Bars of different pieces never
  // join into one repeat.
  std::vector<std::string> keys;
  std::vector<long> starts, ends;
  std::vector<size_t> pieceOf;
  for (size_t i = 0; i < t.pieces.size(); ++i) {
    const Piece& p = t.pieces[i];
    long from = 0;
    std::vector<std::vector<std::string>> barKeys(p.voices[0].barLines.size());
    for (size_t vi = 0; vi < p.voices.size(); ++vi) {
      const Voice& v = p.voices[vi];
      const std::vector<long>& lines = p.voices[0].barLines;
      for (const Voice::Note& n : v.notes) {
        const size_t bar = std::upper_bound(lines.begin(), lines.end(), n.start) - lines.begin();
        if (bar >= barKeys.size()) continue;
        const long barStart = bar == 0 ? 0 : lines[bar - 1];
        std::ostringstream k;
        k << vi << ':' << v.program << ':' << n.start - barStart << ':' << n.pitch << ':' << n.end - n.start << ':'
          << n.velocity / 14;
        barKeys[bar].push_back(k.str());
      }
    }
    for (size_t b = 0; b < barKeys.size(); ++b) {
      std::sort(barKeys[b].begin(), barKeys[b].end());
      std::string key;
      for (const std::string& s : barKeys[b]) key += s + ";";
      const long end = p.voices[0].barLines[b];
      key += "/" + std::to_string(end - from);
      keys.push_back(key);
      starts.push_back(t.offsets[i] + from);
      ends.push_back(t.offsets[i] + end);
      pieceOf.push_back(i);
      from = end;
    }
  }
  Structure s;
  s.bars = static_cast<int>(keys.size());
  s.distinct = static_cast<int>(std::set<std::string>(keys.begin(), keys.end()).size());
  s.seconds = t.Seconds(t.end);
  for (size_t i = 0; i < t.pieces.size(); ++i) {
    for (const Voice& v : t.pieces[i].voices) {
      if (!SlowAttack(v.program) || v.notes.empty()) continue;
      size_t shortNotes = 0;
      for (const Voice::Note& note : v.notes)
        shortNotes += t.Seconds(t.offsets[i] + note.end) - t.Seconds(t.offsets[i] + note.start) < 0.75;
      if (shortNotes * 4 > v.notes.size()) s.smeared = v.name;
    }
  }
  std::set<int> velocities;
  for (const Piece& p : t.pieces)
    for (const Voice& v : p.voices) {
      for (size_t k = 0, run = 0; v.melody && k < v.notes.size(); ++k) {
        velocities.insert(v.notes[k].played);
        run = k > 0 && v.notes[k].played == v.notes[k - 1].played ? run + 1 : 1;
        s.sameRun = std::max(s.sameRun, static_cast<int>(run));
      }
      for (const Voice::Note& n : v.notes) s.rolled += n.roll && n.rank == 0;
    }
  s.loudness = static_cast<int>(velocities.size());
  // Runs of bars k with bar k == bar k+4: a run of 4 or more is a 4-bar block heard again at once.
  const size_t n = keys.size();
  for (size_t k = 0; k + 4 < n;) {
    size_t run = 0;
    while (k + run + 4 < n && pieceOf[k + run] == pieceOf[k + run + 4] && keys[k + run] == keys[k + run + 4]) ++run;
    if (run >= 4) s.longestRepeat = std::max(s.longestRepeat, t.Seconds(ends[k + run + 3]) - t.Seconds(starts[k]));
    k += std::max<size_t>(run, 1);
  }
  return s;
}

// ---- level figures of a rendered wave file ----
// Per file: seconds, peak (dBFS), median level (of 100 ms RMS windows over all
// channels, windows under -60 dBFS left out), the loudest 100 ms, the loudest
// 10 ms, the first millisecond's level, the steepest fall over 10 ms (dB), the
// correlation of left and right (1 for mono: no width at all), and the seconds
// more than 20 dB under the median at the end and in the longest quiet
// stretch between sounds.

struct Wave {
  int rate = 0, channels = 0;
  std::vector<double> samples;  // interleaved, full scale 1.0
};

bool ReadWave(const std::string& path, Wave& w, std::string& why) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return why = "not a readable file", false;
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto u32 = [&](size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24; };
  auto u16 = [&](size_t at) { return uint16_t(b[at] | b[at + 1] << 8); };
  if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" || std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
    return why = "not a RIFF WAVE file", false;
  int bits = 0;
  for (size_t at = 12; at + 8 <= b.size();) {
    const std::string id(b.begin() + at, b.begin() + at + 4);
    const size_t size = u32(at + 4), body = at + 8;
    if (body + size > b.size() && id != "data") break;
    if (id == "fmt " && size >= 16) {
      if (u16(body) != 1 && u16(body) != 0xFFFE) return why = "not PCM", false;
      w.channels = u16(body + 2);
      w.rate = static_cast<int>(u32(body + 4));
      bits = u16(body + 14);
    } else if (id == "data") {
      if (bits != 16 || w.channels < 1 || w.rate < 1) return why = "only 16-bit PCM is measured", false;
      const size_t n = std::min(size, b.size() - body) / 2;
      w.samples.resize(n);
      for (size_t i = 0; i < n; ++i) w.samples[i] = int16_t(u16(body + 2 * i)) / 32768.0;
      return true;
    }
    at = body + size + (size & 1);
  }
  return why = "no data chunk", false;
}

double Db(double power) { return power > 0 ? 10 * std::log10(power) : -120.0; }

// Mean power of the frames [from, to), all channels together.
double Power(const Wave& w, size_t from, size_t to) {
  double sum = 0;
  to = std::min(to, w.samples.size() / w.channels);
  if (to <= from) return 0;
  for (size_t i = from * w.channels; i < to * w.channels; ++i) sum += w.samples[i] * w.samples[i];
  return sum / double((to - from) * w.channels);
}

int MeasureWaves(const std::vector<std::string>& paths) {
  std::printf("%-28s %8s %8s %8s %9s %8s %8s %8s %6s %6s %6s\n", "file", "seconds", "peak", "median", "loudest",
              "body10ms", "first1ms", "fall10ms", "corr", "tail", "gap");
  int rc = 0;
  for (const std::string& path : paths) {
    Wave w;
    std::string why;
    if (!ReadWave(path, w, why)) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), why.c_str());
      rc = 1;
      continue;
    }
    const size_t frames = w.samples.size() / w.channels, window = w.rate / 10;
    double peak = 0;
    for (double s : w.samples) peak = std::max(peak, std::fabs(s));
    std::vector<double> levels;
    double loudest = 0;
    std::vector<double> windows;  // each 100 ms, dBFS
    for (size_t at = 0; at + window <= frames; at += window) {
      windows.push_back(Db(Power(w, at, at + window)));
      if (windows.back() >= -60) levels.push_back(windows.back());
    }
    double lr = 0, ll = 0, rr = 0;
    for (size_t i = 0; w.channels == 2 && i + 1 < w.samples.size(); i += 2) {
      lr += w.samples[i] * w.samples[i + 1];
      ll += w.samples[i] * w.samples[i];
      rr += w.samples[i + 1] * w.samples[i + 1];
    }
    const double corr = w.channels == 2 && ll > 0 && rr > 0 ? lr / std::sqrt(ll * rr) : 1.0;
    // The loudest 100 ms anywhere, in 10 ms steps, and for files shorter than that, the whole file.
    for (size_t at = 0; at + window <= frames || at == 0; at += std::max<size_t>(1, w.rate / 100)) {
      loudest = std::max(loudest, Power(w, at, at + window));
      if (at + window > frames) break;
    }
    std::sort(levels.begin(), levels.end());
    const double median = levels.empty() ? -120.0 : levels.size() % 2 ? levels[levels.size() / 2]
                                                    : (levels[levels.size() / 2 - 1] + levels[levels.size() / 2]) / 2;
    // Quiet stretches: runs of windows 20 dB under the median (-40 dBFS for music at -20), after the first sound.
    double tail = 0, gap = 0, quiet = 0;
    bool sounded = false;
    for (double level : windows) {
      if (level >= median - 20) {
        if (sounded) gap = std::max(gap, quiet);
        sounded = true;
        quiet = 0;
      } else if (sounded) {
        quiet += 0.1;
      }
    }
    tail = quiet + double(frames % window) / w.rate;
    // The steepest fall over 10 ms from a level above -50 dBFS, the end of the file
    // counting as silence: a sound cut off instead of decaying falls by 30 dB or more.
    const size_t ms = static_cast<size_t>(w.rate / 1000);
    std::vector<double> fives;
    for (size_t at = 0; at < frames; at += 5 * ms) fives.push_back(std::max(-100.0, Db(Power(w, at, at + 5 * ms))));
    fives.push_back(-100.0);
    fives.push_back(-100.0);
    double fall = 0;
    for (size_t i = 0; i + 2 < fives.size(); ++i)
      if (fives[i] >= -50) fall = std::max(fall, fives[i] - fives[i + 2]);
    double body = 0;  // the loudest 10 ms, against which a click at the start shows
    for (size_t at = 0; at < frames; at += ms) body = std::max(body, Power(w, at, at + 10 * ms));
    std::printf("%-28s %8.2f %8.2f %8.2f %9.2f %8.2f %8.2f %8.2f %6.2f %6.1f %6.1f\n", path.c_str(),
                double(frames) / w.rate, 20 * std::log10(std::max(peak, 1e-6)), median, Db(loudest), Db(body),
                Db(Power(w, 0, ms)), fall, corr, tail, gap);
  }
  return rc;
}

// A long session as the game mixes it: the tracks one after the other and the
// cues over them as a player sets them off (a push every 1.5 to 4 s, often a
// vanishing pair after it, a won level every 40 s or so), each new cue cutting
// the last after a 10 ms fade. Prints the mix's peak and its 100 ms windows
// over -1 dBFS (a peak over 0 dBFS is where the mixer clips).
int Session(const std::vector<std::string>& cuePaths, const std::vector<std::string>& trackPaths) {
  std::vector<Wave> cues(cuePaths.size());
  Wave mix;
  std::string why;
  for (size_t i = 0; i < cuePaths.size(); ++i)
    if (!ReadWave(cuePaths[i], cues[i], why)) return std::fprintf(stderr, "%s: %s\n", cuePaths[i].c_str(), why.c_str()), 1;
  for (const std::string& path : trackPaths) {
    Wave w;
    if (!ReadWave(path, w, why) || w.channels != 2) return std::fprintf(stderr, "%s: %s\n", path.c_str(), why.c_str()), 1;
    mix.rate = w.rate, mix.channels = 2;
    mix.samples.insert(mix.samples.end(), w.samples.begin(), w.samples.end());
  }
  if (mix.samples.empty() || cues.size() != 3) return std::fprintf(stderr, "gen-music: --session m1 m2 m3 TRACK...\n"), 2;
  const size_t frames = mix.samples.size() / 2;
  uint32_t seed = 1;
  auto uniform = [&] { return (seed = seed * 1664525u + 1013904223u) / 4294967296.0; };
  // When each cue starts (seconds) and which it is; the next start cuts it.
  std::vector<std::pair<double, int>> starts;
  for (double t = 1.0, won = 40; t < double(frames) / mix.rate;) {
    starts.push_back({t, 3});
    if (uniform() < 0.5) starts.push_back({t + 0.4 + 0.4 * uniform(), 1});
    if (uniform() < 0.3) starts.push_back({starts.back().first + 0.01, 1});  // two pairs at once
    if (t > won) starts.push_back({starts.back().first + 0.1, 2}), won = t + 30 + 20 * uniform();
    t = starts.back().first + 1.5 + 2.5 * uniform();
  }
  std::vector<double> cue(mix.samples.size(), 0.0);
  for (size_t k = 0; k < starts.size(); ++k) {
    const Wave& c = cues[starts[k].second - 1];
    const size_t from = static_cast<size_t>(starts[k].first * mix.rate);
    const size_t cut = k + 1 < starts.size() ? static_cast<size_t>(starts[k + 1].first * mix.rate) : frames;
    const size_t fade = mix.rate / 100, length = c.samples.size() / c.channels * mix.rate / c.rate;
    for (size_t i = 0; i < length && from + i < frames && from + i < cut + fade; ++i) {
      const double at = double(i) * c.rate / mix.rate;  // the cue's rate to the mixer's, as SDL converts it
      const size_t j = static_cast<size_t>(at);
      const double f = at - j, a = c.samples[j * c.channels];
      const double b = j + 1 < c.samples.size() / c.channels ? c.samples[(j + 1) * c.channels] : 0;
      const double gain = from + i < cut ? 1.0 : 1.0 - double(from + i - cut) / fade;
      for (int ch = 0; ch < 2; ++ch) cue[(from + i) * 2 + ch] = gain * (a + f * (b - a));
    }
  }
  double peak = 0;
  int hot = 0;
  for (size_t at = 0; at < frames; at += mix.rate / 10) {
    double windowPeak = 0;
    for (size_t i = at * 2; i < std::min(frames, at + mix.rate / 10) * 2; ++i)
      windowPeak = std::max(windowPeak, std::fabs(mix.samples[i] + cue[i]));
    hot += windowPeak > std::pow(10.0, -1 / 20.0);
    peak = std::max(peak, windowPeak);
  }
  std::printf("session: %.1f min, %zu cues, peak %.2f dBFS, %d windows of 100 ms over -1 dBFS\n",
              double(frames) / mix.rate / 60, starts.size(), 20 * std::log10(std::max(peak, 1e-6)), hot);
  return 0;
}

// ---- the command line ----

std::vector<std::string> Texts(const std::string& root) {
  std::vector<std::string> out;
  for (int n = 1; n <= 9; ++n) {
    const std::string path = root + "tools/music/music" + std::to_string(n) + ".txt";
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) out.push_back(path);
  }
  return out;
}

int Usage() {
  std::fprintf(stderr,
               "usage: gen-music [ROOT]                 compile ROOT/tools/music/musicN.txt to ROOT/data/musicN.mid\n"
               "       gen-music FILE OUT               compile one note text\n"
               "       gen-music --only VOICE FILE OUT  just that voice\n"
               "       gen-music --without VOICE FILE OUT\n"
               "       gen-music --check [FILE...]      structure figures of the note texts\n"
               "       gen-music --credits [FILE...]    title, composer, score checked against\n"
               "       gen-music --measure WAV...       level figures of rendered audio\n"
               "       gen-music --for-font FONT MID OUT  the track as played through FONT; prints the gain\n"
               "       gen-music --session M1 M2 M3 WAV...  the peak of the tracks and the cues mixed as in play\n");
  return 2;
}

int Check(std::vector<std::string> files) {
  if (files.empty()) files = Texts("./");
  int rc = 0;
  for (const std::string& f : files) {
    try {
      const Track t = Load(f, true);
      const Structure s = Measure(t);
      const double share = s.bars ? double(s.distinct) / s.bars : 0;
      std::string faults;
      if (s.longestRepeat > kMaxRepeatSeconds) faults += "; a 4-bar block repeats back to back for more than 20 s";
      if (share < kMinDistinctShare) faults += "; fewer than 40 % of the bars differ";
      if (t.outOfRange) faults += "; notes out of range";
      if (!s.smeared.empty()) faults += "; voice " + s.smeared + " has a slow-attack patch under short notes";
      if (s.sameRun > kMaxSameVelocity) faults += "; the melody plays more than 24 notes in a row at one velocity";
      std::printf("%s: %d piece(s), %.1f s, %d bars, %.0f %% distinct, longest 4-bar repeat %.1f s, %d notes out of range, "
                  "melody at %d velocities (at most %d notes in a row at one), %d chords spread: %s\n",
                  f.c_str(), int(t.pieces.size()), s.seconds, s.bars, 100 * share, s.longestRepeat, t.outOfRange,
                  s.loudness, s.sameRun, s.rolled, faults.empty() ? "ok" : ("FAILS" + faults).c_str());
      if (!faults.empty()) rc = 1;
    } catch (const Failure& e) {
      std::printf("%s\n", e.message.c_str());
      rc = 1;
    }
  }
  return rc;
}

int Credits(std::vector<std::string> files) {
  if (files.empty()) files = Texts("./");
  int rc = 0;
  for (const std::string& f : files) {
    try {
      for (const Piece& p : Load(f, true).pieces)
        std::printf("%s\t%s\t%s\t%s\n", f.c_str(), p.title.c_str(), p.composer.c_str(), p.checked.c_str());
    } catch (const Failure& e) {
      std::fprintf(stderr, "gen-music: %s\n", e.message.c_str());
      rc = 1;
    }
  }
  return rc;
}

int ForFont(const std::string& font, const std::string& in, const std::string& out) {
  std::string midi, why;
  if (!ReadSmallFile(in, midi, why)) return std::fprintf(stderr, "gen-music: %s: %s\n", in.c_str(), why.c_str()), 1;
  const tumbol::FontVoicing& voicing = tumbol::VoicingFor(font);
  const std::string voiced = tumbol::VoiceTrack(midi, voicing);
  if (!WriteFile(out, std::vector<uint8_t>(voiced.begin(), voiced.end())))
    return std::fprintf(stderr, "gen-music: cannot write %s\n", out.c_str()), 1;
  std::printf("%.4f\n", 1.2 * voicing.musicVolume / 128);  // SDL_mixer's gain for the music's volume
  return 0;
}

int Compile(const std::string& in, const std::string& out, Filter filter, const std::string& voice) {
  try {
    const Track t = Load(in, false);
    bool found = filter == Filter::kAll;
    for (const Piece& p : t.pieces)
      for (const Voice& v : p.voices) found = found || Keeps(v, Filter::kOnly, voice);
    if (!found) throw Failure{in + ": no voice named '" + voice + "'"};
    const std::vector<uint8_t> bytes = WriteMidi(t, filter, voice);
    if (!WriteFile(out, bytes)) throw Failure{"cannot write " + out};
    std::printf("%s -> %s: %.2f s, %zu bytes\n", in.c_str(), out.c_str(), t.Seconds(t.end), bytes.size());
    return 0;
  } catch (const Failure& e) {
    std::fprintf(stderr, "gen-music: %s\n", e.message.c_str());
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--check") return Check({args.begin() + 1, args.end()});
  if (!args.empty() && args[0] == "--credits") return Credits({args.begin() + 1, args.end()});
  if (!args.empty() && args[0] == "--measure") {
    if (args.size() < 2) return Usage();
    return MeasureWaves({args.begin() + 1, args.end()});
  }
  if (!args.empty() && args[0] == "--session") {
    if (args.size() < 5) return Usage();
    return Session({args.begin() + 1, args.begin() + 4}, {args.begin() + 4, args.end()});
  }
  if (!args.empty() && args[0] == "--for-font") {
    if (args.size() != 4) return Usage();
    return ForFont(args[1], args[2], args[3]);
  }
  if (!args.empty() && (args[0] == "--only" || args[0] == "--without")) {
    if (args.size() != 4) return Usage();
    return Compile(args[2], args[3], args[0] == "--only" ? Filter::kOnly : Filter::kWithout, args[1]);
  }
  if (!args.empty() && args[0].rfind("-", 0) == 0) return Usage();
  if (args.size() == 2) return Compile(args[0], args[1], Filter::kAll, "");
  if (args.size() > 2) return Usage();
  const std::string root = args.empty() ? "./" : args[0] + "/";
  const std::vector<std::string> texts = Texts(root);
  if (texts.empty()) std::printf("gen-music: no note texts under %stools/music; nothing written\n", root.c_str());
  int rc = 0;
  for (const std::string& text : texts) {
    const std::string n = text.substr(text.rfind("music") + 5, text.size() - text.rfind("music") - 9);
    rc |= Compile(text, root + "data/music" + n + ".mid", Filter::kAll, "");
  }
  return rc;
}
