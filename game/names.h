// Names for the slots and numbers of c_MyApp's arrays: settings entries, image and sound
// slots, screens, game keys, and the fields of the pool and draw-list records. The arrays
// keep their numbered layout (the saved record stores m_Settings entry by entry), so each
// name stands for the number the layout fixes. Included through game/myapp.h.
#pragma once

// m_Settings entries; the rest of the 25 are saved but unused.
enum SettingEntry : int {
  kSoundMode = 5,           // a SoundMode below
  kPadCentreX = 10,         // on-screen pad: centre x in virtual pixels,
  kPadFromBottom = 11,      // the centre's distance from the bottom edge,
  kPadTenths = 12,          // and its size in tenths
  kOverscanSetting = 14,    // border in device pixels, 1 to 96 (television console)
  kSettingCount = 25,
};

// Values of m_Settings[kSoundMode]. Without music the options cycle only off and on (0, 1).
enum SoundMode : int {
  kSoundOff = 0,
  kSoundAll = 1,            // effects and music
  kSoundEffects = 2,        // effects only
  kSoundMusic = 3,          // music only
};

// m_Images slots (m_ImageInfo holds three ints per slot: width, height, frames; for a font
// advance, line height, 128).
enum ImageSlot : int {
  kImgSprites = 1,          // ship 0, bullet 1 and 2, enemy 8 to 13
  kImgNamesA = 2,           // name pictures, frames 0 to 1023
  kImgNamesB = 3,           // name pictures from 1024 on
  kImgBadges = 80,
  kImgFont = 90,
  kImgTestcard = 91,        // the circle behind the credits and the quit prompt
  kImgStudioMark = 93,
  kImgPad = 94,             // on-screen pad
  kImgButtons = 95,         // menu items; the gear's three wheels are frames 8 to 10
  kImgParts = 96,           // particle and star bits
  kImgIcons = 97,
  kImgLogo = 98,
  kImgMenu = 99,            // title backdrop
  kImageSlots = 100,
};

// m_Sounds slots: sfx/NNN.wav by number.
enum SoundSlot : int {
  kSfxShot = 1,
  kSfxExplosion = 2,
  kSfxHit = 3,              // three hits: 3, 4 and 5
  kSfxPowerUp = 6,
  kSfxPickup = 7,
  kSfxClick = 95,
  kSfxJingle = 96,          // the loader's jingle and the return to the title menu
  kSfxSelect = 98,
  kSfxCursor = 99,
  kSoundSlots = 100,
};

// m_Screen values.
enum GameScreen : int {
  kScreenMenu = 1,
  kScreenEnterMenu = 2,     // files the last score, then the menu in the same update
  kScreenQuitPrompt = 4,
  kScreenStartGate = 5,
  kScreenGame = 10,         // screens from here on are in a game
  kScreenLoadGame = 11,
};

// Abstract game keys of p_PlayKey. m_PadKeys entries 0 to 15 share these numbers.
enum GameKey : int {
  kGameUp = 0,
  kGameLeft = 3,
  kGameRight = 5,
  kGameDown = 8,
  kGameFire = 10,           // also select
  kGameB = 11,
  kGameC = 12,
  kGameD = 13,
  kGameL1 = 14,
  kGameR1 = 15,
  kGameBack = 99,           // back, menu, pause
};

// m_PadKeys entries beyond the game keys: two iCade back buttons and the back key, which the
// update rewrites every frame (suspend, resume and the iCade switch clear 0 to 18 only).
enum PadKeyEntry : int {
  kPadBackO = 16,
  kPadBackL = 17,
  kPadBack = 19,
  kPadKeyCount = 20,
};

// The keys whose release frees a key latch: every key a screen acts on.
constexpr int kLatchedKeys[] = {kGameUp, kGameLeft, kGameRight, kGameDown, kGameFire, kGameB,
                                kGameC,  kGameD,    kGameL1,    kGameR1,   kGameBack};

// m_Actors entries used by the game.
enum ActorEntry : int {
  kPlayerX = 1,
  kPlayerY = 2,
  kCooldown = 3,            // frames until the next shot
  kTargetY = 4,
  kEnemyX = 5,
  kEnemyY = 6,
  kEnemyHealth = 7,
  kStarDriftX = 51,
  kStarDriftY = 52,
  kSpareActor = 100,        // records 100, 200, 300, 400: set by a new game, read by nothing
};

// Every pool (bullets, objects, particles, stars) is records of ten floats; float 0 zero
// means free.
constexpr int kPoolRecord = 10;
constexpr int kBullets = 25;
constexpr int kObjects = 501;

// m_Bullets record fields (7 and 8 unused).
enum BulletField : int {
  kBulActive = 0,
  kBulX = 1,
  kBulY = 2,
  kBulDX = 3,
  kBulDY = 4,
  kBulAngle = 5,
  kBulSpin = 6,
  kBulPower = 9,            // letters it may still hit
};

// m_Objects record fields.
enum ObjectField : int {
  kObjType = 0,
  kObjX = 1,
  kObjY = 2,
  kObjFlyIn = 3,            // offset added to x while it flies in
  kObjSpeedY = 4,
  kObjDelay = 5,            // frames before it drifts
  kObjZero = 6,             // always 0
  kObjFrame = 7,
  kObjSize = 8,
  kObjHealth = 9,
};

// Types of m_Objects records; p_AddObj's type argument uses 1, 9 and the two below.
enum ObjectType : int {
  kObjLetter = 1,
  kObjStar = 2,             // the "*" glyph: 100 points and a coin
  kObjToughLetter = 4,      // letters of the last thanks
  kObjNameA = 9,            // a name picture in kImgNamesA
  kObjNameB = 10,           // one in kImgNamesB
  kAddFlyingLetter = 2,     // p_AddObj: a letter that flies in from the right
  kAddStar = 3,             // p_AddObj: a star, flying in
};

// m_Particles record fields; kind 1 and 2 are debris, kPartNumber a floating number.
enum ParticleField : int {
  kPartKind = 0,
  kPartX = 1,
  kPartY = 2,
  kPartDX = 3,
  kPartDY = 4,
  kPartAngle = 5,
  kPartSpin = 6,
  kPartLife = 7,
  kPartColour = 8,
  kPartFrame = 9,           // the number's value for kPartNumber
  kPartNumber = 99,
};

// m_Stars record fields (4 unused).
enum StarField : int {
  kStarFrame = 0,
  kStarX = 1,
  kStarY = 2,
  kStarDepth = 3,
  kStarAngle = 5,
  kStarSpin = 6,
};

// Draw-list record fields (8, 9 and 14 unused). The kind is an image slot, or kNoValue for a
// rectangle and kNoValue + 1 for an oval.
enum DrawField : int {
  kRecKind = 0,
  kRecX = 1,
  kRecY = 2,
  kRecRot = 3,
  kRecW = 4,                // draw size x for an image, width or x radius for a shape
  kRecH = 5,
  kRecFrame = 6,
  kRecAlpha = 7,
  kRecRed = 10,
  kRecGreen = 11,
  kRecBlue = 12,
  kRecMode = 13,
};
