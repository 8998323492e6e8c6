// Name composer: invents the display-name handles of game/texts.cpp from small word lists and
// a fixed seed, and prints the table. Run by hand (`assetnames > names.txt`) when the list is
// to be renewed; the build never runs it, so the committed table stays the one to edit.
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const kFirst[] = {
    "marta", "ines", "kai", "juno", "tomas", "aiko", "lena", "ravi", "oskar", "nadia",
    "femi", "yuki", "sven", "priya", "mateo", "elif", "bruno", "hana", "ivo", "zara",
    "leon", "mira", "dario", "ola", "kofi", "anouk", "pavel", "soraya", "emil", "tess",
    "rafa", "lotte", "ayla", "benji", "carla", "dmitri", "esme", "farid", "greta", "hugo",
    "ida", "jonas", "kiri", "luca", "maren", "nico", "otto", "pia", "quinn", "rosa",
    "sami", "tilda", "uma", "vito", "wren", "xeni", "yara", "zeno", "alba", "bo",
    "cyra", "dev", "eero", "flo", "gus", "hedda", "ilse", "joss", "kenji", "lior",
    "mika", "noor", "orla", "pim", "reza", "sia", "tarik", "ulla", "vera", "wim",
    "amara", "bex", "cato", "dina", "enzo", "fenna", "gio", "halle", "isak", "jade",
    "kaspar", "lumi", "milo", "nell", "oona", "piet", "roos", "sunny", "theo", "vic"};

const char* const kAdj[] = {
    "quiet", "brisk", "lucky", "tiny", "sleepy", "rusty", "silver", "velvet", "lazy", "swift",
    "mellow", "odd", "bright", "salty", "fuzzy", "grumpy", "jolly", "neon", "polar", "sunny",
    "wild", "crisp", "amber", "cosmic", "dusty", "gentle", "hollow", "icy", "merry", "noble",
    "pale", "rapid", "shy", "tidy", "vivid", "warm", "zesty", "plain", "loud", "minty"};

const char* const kNoun[] = {
    "fern", "moth", "comet", "kettle", "badger", "pixel", "otter", "lantern", "pebble", "sprout",
    "falcon", "biscuit", "orbit", "walrus", "cactus", "nebula", "pickle", "rocket", "tulip", "marble",
    "beacon", "cobalt", "ember", "gecko", "harbor", "island", "jigsaw", "koala", "lemon", "meadow",
    "noodle", "oyster", "parrot", "quartz", "radish", "spoon", "teapot", "vortex", "waffle", "yak",
    "acorn", "bramble", "cinder", "drift", "echo", "feather", "glider", "hopper", "inkpot", "jumper",
    "kite", "lynx", "mango", "nugget", "owl", "puffin", "quill", "ripple", "sparrow", "thimble",
    "umbra", "violet", "wombat", "zephyr", "anchor", "button", "clover", "dynamo", "fizz", "gadget"};

const char* const kSyllA[] = {"za", "ko", "vel", "mi", "tor", "ra", "lu", "en", "bri", "ash",
                              "quo", "fen", "dal", "or", "pix", "sel", "tam", "ny", "kel", "vo"};
const char* const kSyllB[] = {"rin", "ska", "mo", "lek", "vi", "nar", "ppo", "zel", "tu", "bix",
                              "ma", "ndo", "rra", "li", "sto", "qui", "fa", "den", "ro", "wyn"};

struct Rng {
  uint32_t s;
  uint32_t next() { s ^= s << 13; s ^= s >> 17; s ^= s << 5; return s; }
  template <class T, size_t N>
  const char* pick(const T (&a)[N]) { return a[next() % N]; }
  int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
};

std::string cap(std::string w) {
  if (!w.empty() && w[0] >= 'a' && w[0] <= 'z') w[0] = static_cast<char>(w[0] - 32);
  return w;
}

std::string compose(Rng& r) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", r.below(99) + 1);
  switch (r.below(11)) {
    case 0: return std::string(r.pick(kFirst)) + digits;
    case 1: return cap(r.pick(kFirst)) + "_" + static_cast<char>('A' + r.below(26));
    case 2: return cap(r.pick(kAdj)) + cap(r.pick(kNoun));
    case 3: return std::string(r.pick(kAdj)) + r.pick(kNoun);
    case 4: return std::string(r.pick(kFirst)) + "." + r.pick(kNoun);
    case 5: return std::string(r.pick(kNoun)) + digits;
    case 6: return cap(r.pick(kSyllA)) + r.pick(kSyllB);
    case 7: return std::string(r.pick(kSyllA)) + r.pick(kSyllB) + r.pick(kSyllB);
    case 8: return cap(r.pick(kFirst)) + cap(r.pick(kNoun));
    case 9: return std::string(r.pick(kNoun)) + "_" + r.pick(kFirst);
    default: return std::string(r.pick(kFirst)) + "-" + r.pick(kAdj);
  }
}

}  // namespace

int main() {
  Rng r{0x5eed1439u};
  std::set<std::string> seen;
  std::vector<std::string> names;
  while (names.size() < 1439) {
    std::string n = compose(r);
    if (n.size() < 3 || n.size() > 14 || !seen.insert(n).second) continue;
    names.push_back(n);
  }
  for (size_t i = 0; i < names.size(); i += 6) {
    std::printf("   ");
    for (size_t j = i; j < names.size() && j < i + 6; ++j) std::printf(" \"%s\",", names[j].c_str());
    std::printf("\n");
  }
  return 0;
}
