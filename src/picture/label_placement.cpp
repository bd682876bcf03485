#include "picture/label_placement.hpp"

#include "check/invariant.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace curtis {

namespace {

// DejaVu Sans's advance widths of the printable ASCII characters, from the
// space on, in ems.
constexpr double asciiWidths[95] = {
    0.318, 0.401, 0.460, 0.838, 0.636, 0.950, 0.780, 0.275, 0.390, 0.390, 0.500, 0.838,
    0.318, 0.361, 0.318, 0.337, 0.636, 0.636, 0.636, 0.636, 0.636, 0.636, 0.636, 0.636,
    0.636, 0.636, 0.337, 0.337, 0.838, 0.838, 0.838, 0.531, 1.000, 0.684, 0.686, 0.698,
    0.770, 0.632, 0.575, 0.775, 0.752, 0.295, 0.295, 0.656, 0.557, 0.863, 0.748, 0.787,
    0.603, 0.787, 0.695, 0.635, 0.611, 0.732, 0.684, 0.989, 0.685, 0.611, 0.685, 0.390,
    0.337, 0.390, 0.838, 0.500, 0.500, 0.613, 0.635, 0.550, 0.635, 0.615, 0.352, 0.635,
    0.634, 0.278, 0.278, 0.579, 0.278, 0.974, 0.634, 0.612, 0.635, 0.635, 0.411, 0.521,
    0.392, 0.634, 0.592, 0.818, 0.592, 0.592, 0.525, 0.636, 0.337, 0.636, 0.838};

// The face's ascent and descent, in ems.
constexpr double ascent = 0.93;
constexpr double descent = 0.24;

// The side of a bucket of the plane, in pixels.
constexpr double bucketSide = 32;

long long bucketKey(long bx, long by) {
    return (static_cast<long long>(bx) << 32) + (by & 0xffffffffLL);
}

long bucketOf(double coordinate) {
    return static_cast<long>(std::floor(coordinate / bucketSide));
}

} // namespace

double textWidth(std::string_view text, double size) {
    double ems = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 32 && c < 127) {
            ems += asciiWidths[c - 32];
        } else if ((c & 0xC0) != 0x80) {
            ems += 1.0; // the first byte of a character outside ASCII
        }
    }
    return ems * size;
}

Box textBox(double x, double y, double width, double size) {
    return {x, y - ascent * size, x + width, y + descent * size};
}

bool crosses(const Segment& s, const Box& box) {
    // Liang and Barsky's clipping: the part of the segment within the box's
    // open interior, by its parameter from 0 to 1.
    double from = 0;
    double to = 1;
    const double dx = s.x2 - s.x1;
    const double dy = s.y2 - s.y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {s.x1 - box.left, box.right - s.x1, s.y1 - box.top, box.bottom - s.y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] <= 0) {
                return false; // parallel to this edge and outside it
            }
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0) {
            from = std::max(from, r);
        } else {
            to = std::min(to, r);
        }
    }
    return from < to;
}

LabelPlacer::LabelPlacer(const Box& region) : region_(region) {}

template <typename F> void LabelPlacer::forBuckets(const Box& box, F&& each) const {
    for (long bx = bucketOf(box.left); bx <= bucketOf(box.right); ++bx) {
        for (long by = bucketOf(box.top); by <= bucketOf(box.bottom); ++by) {
            each(bucketKey(bx, by));
        }
    }
}

void LabelPlacer::addDot(double x, double y, double radius) {
    addFixed({x - radius, y - radius, x + radius, y + radius});
}

void LabelPlacer::addFixed(const Box& box) {
    const long index = static_cast<long>(boxes_.size());
    boxes_.push_back(box);
    forBuckets(box, [&](long long key) { buckets_[key].push_back(index); });
}

void LabelPlacer::addSegment(const Segment& s) {
    const long index = -1 - static_cast<long>(segments_.size());
    segments_.push_back(s);
    const Box bounds{std::min(s.x1, s.x2), std::min(s.y1, s.y2), std::max(s.x1, s.x2),
                     std::max(s.y1, s.y2)};
    forBuckets(bounds, [&](long long key) { buckets_[key].push_back(index); });
}

void LabelPlacer::addLabel(std::size_t label, const Box& box) {
    CURTIS_INVARIANT(!labels_[label] && box.within(region_), "a label is placed once, inside");
    labels_[label] = box;
    forBuckets(box, [&](long long key) { labelBuckets_[key].push_back(label); });
}

void LabelPlacer::removeLabel(std::size_t label) {
    forBuckets(*labels_[label], [&](long long key) {
        std::vector<std::size_t>& in = labelBuckets_[key];
        in.erase(std::remove(in.begin(), in.end(), label), in.end());
    });
    labels_[label].reset();
}

long LabelPlacer::blocker(const Box& box, std::size_t self) const {
    if (!box.within(region_)) {
        return -2;
    }
    long found = -1;
    forBuckets(box, [&](long long key) {
        if (const auto fixed = buckets_.find(key); found != -2 && fixed != buckets_.end()) {
            for (const long index : fixed->second) {
                if (index >= 0 ? box.overlaps(boxes_[static_cast<std::size_t>(index)])
                               : crosses(segments_[static_cast<std::size_t>(-1 - index)], box)) {
                    found = -2;
                    return;
                }
            }
        }
        if (const auto placed = labelBuckets_.find(key);
            found != -2 && placed != labelBuckets_.end()) {
            for (const std::size_t other : placed->second) {
                if (other != self && box.overlaps(*labels_[other])) {
                    const long index = static_cast<long>(other);
                    found = found == -1 || found == index ? index : -2;
                }
            }
        }
    });
    return found;
}

std::vector<LabelPlacer::Candidate> LabelPlacer::candidates(const LabelRequest& label) {
    // Nearest first: right of the dot, centred on it, hanging below it and
    // standing above it; the same on the left; below and above, centred,
    // starting at the dot and ending at it; then those that are free of the
    // dot's own lines a line and two further out.
    // Each box holds its text and a pixel on either side, where a browser
    // that snaps the text to its pixels may set it.
    const double gap = 0.5;
    const double h = (ascent + descent) * label.size + 1;
    const double w = label.width + 2;
    const double r = label.radius;
    const double xs[] = {label.x + r + gap, label.x - r - gap - w};
    const double centred = label.x - w / 2;
    std::vector<Box> boxes;
    for (const double x : xs) {
        for (const double top : {label.y - h / 2, label.y + 0.5, label.y - 0.5 - h}) {
            boxes.push_back({x, top, x + w, top + h});
        }
    }
    boxes.push_back({centred, label.y + r + gap, centred + w, label.y + r + gap + h});
    boxes.push_back({centred, label.y - r - gap - h, centred + w, label.y - r - gap});
    // Below and above, starting or ending at the dot.
    for (const double x : {label.x - r, label.x + r - w}) {
        boxes.push_back({x, label.y + r + gap, x + w, label.y + r + gap + h});
        boxes.push_back({x, label.y - r - gap - h, x + w, label.y - r - gap});
    }
    for (int ring = 1; ring <= 2; ++ring) {
        const double out = ring * h;
        for (const double x : xs) {
            boxes.push_back({x, label.y + 0.5 + out, x + w, label.y + 0.5 + out + h});
            boxes.push_back({x, label.y - 0.5 - h - out, x + w, label.y - 0.5 - out});
        }
        boxes.push_back(
            {centred, label.y + r + gap + out, centred + w, label.y + r + gap + out + h});
        boxes.push_back(
            {centred, label.y - r - gap - h - out, centred + w, label.y - r - gap - out});
    }
    std::vector<Candidate> all;
    for (const Box& box : boxes) {
        all.push_back({box, {box.left + 1, box.top + 0.5 + ascent * label.size}});
    }
    return all;
}

bool LabelPlacer::tryToMoveAside(std::size_t label, const std::vector<LabelRequest>& labels,
                                 std::vector<std::optional<LabelSpot>>& spots) {
    for (const Candidate& mine : candidates(labels[label])) {
        const long other = blocker(mine.box, label);
        if (other < 0) {
            continue; // free (placed already) or held by something fixed
        }
        const auto o = static_cast<std::size_t>(other);
        const Box before = *labels_[o];
        removeLabel(o);
        addLabel(label, mine.box);
        for (const Candidate& theirs : candidates(labels[o])) {
            if (free(theirs.box, o)) {
                addLabel(o, theirs.box);
                spots[o] = theirs.spot;
                spots[label] = mine.spot;
                return true;
            }
        }
        removeLabel(label);
        addLabel(o, before);
    }
    return false;
}

std::vector<std::optional<LabelSpot>> LabelPlacer::place(const std::vector<LabelRequest>& labels) {
    labels_.assign(labels.size(), std::nullopt);
    labelBuckets_.clear();
    std::vector<std::optional<LabelSpot>> spots(labels.size());
    std::vector<std::size_t> unplaced;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        for (const Candidate& c : candidates(labels[i])) {
            if (free(c.box, i)) {
                addLabel(i, c.box);
                spots[i] = c.spot;
                break;
            }
        }
        if (!spots[i]) {
            unplaced.push_back(i);
        }
    }
    // Labels in the way move aside, as long as that places more.
    for (bool moved = true; moved;) {
        moved = false;
        for (const std::size_t i : unplaced) {
            if (!spots[i] && tryToMoveAside(i, labels, spots)) {
                moved = true;
            }
        }
    }
    return spots;
}

} // namespace curtis
