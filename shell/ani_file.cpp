#include "shell/ani_file.h"

#include <algorithm>
#include <iterator>

namespace tumbol {
namespace {

uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

bool IdIs(const uint8_t* p, const char* id) { return std::equal(p, p + 4, id); }

void Put32(std::vector<uint8_t>* v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v->push_back(uint8_t(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>* v, uint16_t x) {
  v->push_back(uint8_t(x));
  v->push_back(uint8_t(x >> 8));
}
void PutId(std::vector<uint8_t>* v, const char* id) { v->insert(v->end(), id, id + 4); }
void PutChunk(std::vector<uint8_t>* v, const char* id, const std::vector<uint8_t>& body) {
  PutId(v, id);
  Put32(v, uint32_t(body.size()));
  v->insert(v->end(), body.begin(), body.end());
  if (body.size() % 2) v->push_back(0);
}

// One chunk inside [begin, end): its id, its body, and where the next starts.
struct Chunk {
  const uint8_t* id;
  const uint8_t* body;
  uint32_t size;
  const uint8_t* next;
};

bool NextChunk(const uint8_t* at, const uint8_t* end, Chunk* c, std::string* error) {
  if (end - at < 8) {
    *error = "truncated chunk header";
    return false;
  }
  c->id = at;
  c->size = Le32(at + 4);
  c->body = at + 8;
  if (c->size > uint32_t(end - c->body)) {
    *error = "chunk runs past the end of the file";
    return false;
  }
  c->next = c->body + c->size;
  // Chunks are padded to an even length; a missing pad after the last one is tolerated.
  if (c->size % 2 && c->next < end) ++c->next;
  return true;
}

// Reads the one-image directory of a CUR or ICO file and checks it is whole.
bool ParseIconBlob(const uint8_t* p, uint32_t size, AniFrame* f, std::string* error) {
  if (size > kAniMaxIconBytes) {
    *error = "frame image too large";
    return false;
  }
  if (size < 6 + 16 || Le16(p) != 0 || (Le16(p + 2) != 1 && Le16(p + 2) != 2) || Le16(p + 4) == 0) {
    *error = "frame is not a CUR or ICO image";
    return false;
  }
  const uint8_t* e = p + 6;
  f->isCursor = Le16(p + 2) == 2;
  f->width = e[0] ? e[0] : 256;
  f->height = e[1] ? e[1] : 256;
  uint32_t bytes = Le32(e + 8), offset = Le32(e + 12);
  if (offset > size || bytes > size - offset || bytes == 0) {
    *error = "frame image data lies outside its chunk";
    return false;
  }
  if (f->isCursor) {
    f->hotX = Le16(e + 4);
    f->hotY = Le16(e + 6);
    if (f->hotX >= f->width || f->hotY >= f->height) {
      *error = "cursor hotspot outside the image";
      return false;
    }
  } else {
    f->hotX = f->width / 2;
    f->hotY = f->height / 2;
  }
  f->bytes.assign(p, p + size);
  return true;
}

int JiffiesToMs(uint32_t jiffies) {
  jiffies = std::clamp<uint32_t>(jiffies, 1, 60 * 60);  // at most a minute a frame
  return int(jiffies * 1000 / 60);
}

bool Fail(std::string* error, const char* why, AniCursor* out) {
  *error = why;
  *out = AniCursor();
  return false;
}

// The reason is already in the error text.
bool FailKeep(AniCursor* out) {
  *out = AniCursor();
  return false;
}

}  // namespace

bool ParseAni(const std::vector<uint8_t>& data, AniCursor* out, std::string* error) {
  std::string scratch;
  if (!error) error = &scratch;
  *out = AniCursor();
  const uint8_t* p = data.data();
  if (data.size() < 12 || !IdIs(p, "RIFF") || !IdIs(p + 8, "ACON"))
    return Fail(error, "not an animated cursor file", out);
  uint32_t riffSize = Le32(p + 4);
  if (riffSize < 4 || riffSize > data.size() - 8) return Fail(error, "RIFF size beyond the file", out);
  const uint8_t* end = p + 8 + riffSize;

  bool haveHeader = false;
  uint32_t nFrames = 0, nSteps = 0, dispRate = 0, flags = 0;
  Chunk rate{}, seq{};  // body null while the file has shown none
  std::vector<AniFrame> frames;

  Chunk c;
  for (const uint8_t* at = p + 12; at < end; at = c.next) {
    if (!NextChunk(at, end, &c, error)) return FailKeep(out);
    if (IdIs(c.id, "anih")) {
      if (c.size < 36 || Le32(c.body) != 36) return Fail(error, "bad anih header", out);
      nFrames = Le32(c.body + 4);
      nSteps = Le32(c.body + 8);
      uint32_t w = Le32(c.body + 12), h = Le32(c.body + 16);
      dispRate = Le32(c.body + 28);
      flags = Le32(c.body + 32);
      if (nFrames == 0 || nFrames > kAniMaxFrames) return Fail(error, "bad frame count", out);
      if (nSteps == 0 || nSteps > kAniMaxSteps) return Fail(error, "bad step count", out);
      if (w > kAniMaxImageSide || h > kAniMaxImageSide) return Fail(error, "image too large", out);
      if (!(flags & 1)) return Fail(error, "raw bitmap frames are not supported", out);
      haveHeader = true;
    } else if (IdIs(c.id, "rate")) {
      rate = c;
    } else if (IdIs(c.id, "seq ")) {
      seq = c;
    } else if (IdIs(c.id, "LIST") && c.size >= 4 && IdIs(c.body, "fram")) {
      const uint8_t* listEnd = c.body + c.size;
      Chunk ic;
      for (const uint8_t* q = c.body + 4; q < listEnd; q = ic.next) {
        if (!NextChunk(q, listEnd, &ic, error)) return FailKeep(out);
        if (!IdIs(ic.id, "icon")) continue;
        if (frames.size() >= kAniMaxFrames) return Fail(error, "too many frames", out);
        AniFrame f;
        if (!ParseIconBlob(ic.body, ic.size, &f, error)) return FailKeep(out);
        frames.push_back(std::move(f));
      }
    }
    // Anything else (LIST INFO with the title and author, unknown chunks) is skipped.
  }

  if (!haveHeader) return Fail(error, "missing anih header", out);
  if (frames.size() != nFrames) return Fail(error, "frame count does not match the header", out);
  if (rate.body && rate.size < nSteps * 4) return Fail(error, "rate chunk too short", out);
  if (seq.body && seq.size < nSteps * 4) return Fail(error, "seq chunk too short", out);
  if (!seq.body && nSteps > nFrames) return Fail(error, "more steps than frames without a sequence", out);

  std::vector<AniStep> steps;
  for (uint32_t i = 0; i < nSteps; ++i) {
    uint32_t frame = seq.body ? Le32(seq.body + 4 * i) : i;
    if (frame >= nFrames) return Fail(error, "sequence names a frame that does not exist", out);
    steps.push_back({int(frame), JiffiesToMs(rate.body ? Le32(rate.body + 4 * i) : dispRate)});
  }
  out->frames = std::move(frames);
  out->steps = std::move(steps);
  error->clear();
  return true;
}

std::vector<uint8_t> AniWriter::BuildCur(int width, int height, int hotX, int hotY,
                                         const std::vector<uint8_t>& bgra) {
  const uint32_t andStride = ((width + 31) / 32) * 4;
  const uint32_t imageBytes = 40 + uint32_t(width * height * 4) + andStride * height;
  std::vector<uint8_t> v;
  Put16(&v, 0);
  Put16(&v, 2);
  Put16(&v, 1);
  v.push_back(uint8_t(width & 0xFF));
  v.push_back(uint8_t(height & 0xFF));
  v.push_back(0);
  v.push_back(0);
  Put16(&v, uint16_t(hotX));
  Put16(&v, uint16_t(hotY));
  Put32(&v, imageBytes);
  Put32(&v, 6 + 16);
  // BITMAPINFOHEADER: the height counts the colour rows and the mask rows.
  Put32(&v, 40);
  Put32(&v, uint32_t(width));
  Put32(&v, uint32_t(height * 2));
  Put16(&v, 1);
  Put16(&v, 32);
  for (int i = 0; i < 6; ++i) Put32(&v, 0);
  // Rows are stored bottom-up.
  for (int y = height - 1; y >= 0; --y)
    v.insert(v.end(), bgra.begin() + size_t(y) * width * 4, bgra.begin() + size_t(y + 1) * width * 4);
  for (int y = height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(andStride, 0);
    for (int x = 0; x < width; ++x)
      if (bgra[(size_t(y) * width + x) * 4 + 3] == 0) row[x / 8] |= uint8_t(0x80 >> (x % 8));
    v.insert(v.end(), row.begin(), row.end());
  }
  return v;
}

std::vector<uint8_t> AniWriter::Build() const {
  const uint32_t nSteps = uint32_t(seq_.empty() ? frames_.size() : seq_.size());
  std::vector<uint8_t> body;
  PutId(&body, "ACON");
  std::vector<uint8_t> anih;
  for (uint32_t x : {36u, uint32_t(frames_.size()), nSteps, width_, height_, 32u, 1u, dispRate_,
                     seq_.empty() ? 1u : 3u})
    Put32(&anih, x);
  PutChunk(&body, "anih", anih);
  if (!rates_.empty()) {
    std::vector<uint8_t> r;
    for (uint32_t x : rates_) Put32(&r, x);
    PutChunk(&body, "rate", r);
  }
  if (!seq_.empty()) {
    std::vector<uint8_t> s;
    for (uint32_t x : seq_) Put32(&s, x);
    PutChunk(&body, "seq ", s);
  }
  std::vector<uint8_t> list;
  PutId(&list, "fram");
  for (const auto& f : frames_) PutChunk(&list, "icon", f);
  PutChunk(&body, "LIST", list);
  std::vector<uint8_t> file;
  PutChunk(&file, "RIFF", body);
  return file;
}

}  // namespace tumbol
