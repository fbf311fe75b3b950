// What each of the nine settings pages shows, as data both front ends read:
// per page, in the page's order, the field a control edits, the kind of
// control, the string of its label, the choices of a list and the reading
// that turns a typed text into the stored value. The window binds its
// controls to these rows (src/app/pages/form_pages.h); the command line
// shows and sets the same values with the same rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/common/ui_text.h"
#include "core/settings/server_settings.h"

// How a row's value becomes the text of its control and back.
enum class PageConversion : std::uint8_t {
    Text,        // edit box and text field, up to 4095 characters
    ServerName,  // as Text, but cut to 32 characters when stored
    Unsigned,    // edit box and integer field, unsigned conversion
    Signed,      // edit box and integer field, signed conversion
    IntOrBlank,  // signed, a negative value shows blank and blank reads -1
    Float,       // edit box and float field, "%f" and the atof reading
    Flag,        // auto check box and flag field
    AllSkins,    // auto check box and the three-valued AllowAllSkins
    Choice,      // drop-down combo box and the index of the chosen entry
    Caption,     // a group box: a text, no value
    MarkedList,  // the Rotation and Mods In Use lists, edited entry by entry
};

// The kind of control, as an operator would name it.
enum class PageControlKind : std::uint8_t {
    TextBox, NumberBox, CheckBox, ThreeValuedCheckBox, ListChoice, GroupCaption, MarkedList,
};

struct PageField {
    PageConversion conversion;
    AnyField field;            // none for a caption
    // The string that names the control: a check box's or group box's own
    // text, or the static label beside an edit box or list (whose control
    // id is this very string id in the template).
    unsigned label;
    const unsigned* choices;   // string ids of a list's entries, in list order
    std::size_t choiceCount;
    bool multiLine;            // a text box that takes line breaks (stored CR LF)
    bool hidden;               // filled like the others, but never shown
};

// Characters a text box keeps: what a text field can hold.
constexpr std::size_t kPageTextLimit = kSettingsTextSize - 1;
// The server advertises at most this many characters of its name.
constexpr std::size_t kServerNameLength = 32;
// Characters of a float box that are read: GetDlgItemTextA with 64 bytes.
constexpr std::size_t kFloatTextLimit = 63;

// Row builders: each takes exactly the field type its conversion works on,
// so binding a row to a field of the wrong kind does not compile.
constexpr PageField TextRow(TextField field, unsigned label) {
    return {PageConversion::Text, field, label, nullptr, 0, false, false};
}
constexpr PageField MultiLineTextRow(TextField field, unsigned label) {
    return {PageConversion::Text, field, label, nullptr, 0, true, false};
}
constexpr PageField ServerNameRow(TextField field, unsigned label) {
    return {PageConversion::ServerName, field, label, nullptr, 0, false, false};
}
constexpr PageField UnsignedRow(IntField field, unsigned label) {
    return {PageConversion::Unsigned, field, label, nullptr, 0, false, false};
}
constexpr PageField SignedRow(IntField field, unsigned label) {
    return {PageConversion::Signed, field, label, nullptr, 0, false, false};
}
constexpr PageField IntOrBlankRow(IntField field, unsigned label) {
    return {PageConversion::IntOrBlank, field, label, nullptr, 0, false, false};
}
constexpr PageField FloatRow(FloatField field, unsigned label) {
    return {PageConversion::Float, field, label, nullptr, 0, false, false};
}
constexpr PageField CheckRow(FlagField field, unsigned label) {
    return {PageConversion::Flag, field, label, nullptr, 0, false, false};
}
constexpr PageField HiddenCheckRow(FlagField field, unsigned label) {
    return {PageConversion::Flag, field, label, nullptr, 0, false, true};
}
constexpr PageField AllSkinsCheckRow(IntField field, unsigned label) {
    return {PageConversion::AllSkins, field, label, nullptr, 0, false, false};
}
template <std::size_t N>
constexpr PageField ChoiceRow(IntField field, unsigned label, const unsigned (&entries)[N]) {
    return {PageConversion::Choice, field, label, entries, N, false, false};
}
constexpr PageField CaptionRow(unsigned label) {
    return {PageConversion::Caption, AnyField(), label, nullptr, 0, false, false};
}
constexpr PageField MarkedListRow(TextField field, unsigned label) {
    return {PageConversion::MarkedList, field, label, nullptr, 0, false, false};
}

// List entries, as strings in list order; the field holds the index.
inline constexpr unsigned kGameTypeEntries[] = {IDS_GAME_TYPE_FFA, IDS_GAME_TYPE_TEAM_DM, IDS_GAME_TYPE_INVADER};
inline constexpr unsigned kHealRateEntries[] = {IDS_HEAL_RATE_INSTANT, IDS_HEAL_RATE_5, IDS_HEAL_RATE_10, IDS_HEAL_RATE_20};
inline constexpr unsigned kEffectsControllerEntries[] = {IDS_EFFECTS_NETWORK_SPEED, IDS_EFFECTS_GFX_AMBIENCE};
inline constexpr unsigned kPlayerSpawnEntries[] = {IDS_SPAWN_DEFAULT, IDS_SPAWN_RANDOM, IDS_SPAWN_FARTHEST, IDS_SPAWN_TEAM, IDS_SPAWN_NOT_VISIBLE, IDS_SPAWN_CLOSEST, IDS_SPAWN_GROUP, IDS_SPAWN_NOT_FACING, IDS_SPAWN_BUFFERED_CLOSE};
inline constexpr unsigned kAutoBalanceEntries[] = {IDS_AUTO_BALANCE_NORMAL, IDS_AUTO_BALANCE_ON_ENTER, IDS_AUTO_BALANCE_ON_SPAWN};


// The three number boxes of this page are unsigned.
inline constexpr PageField kBasicFields[] = {
    ServerNameRow(fields::ServerName, IDS_SERVER_NAME),
    TextRow(fields::ServerPassword, IDS_SERVER_PASSWORD),
    MultiLineTextRow(fields::WelcomeMessage, IDS_WELCOME_MESSAGE),
    ChoiceRow(fields::GameType, IDS_GAME_TYPE, kGameTypeEntries),
    ChoiceRow(fields::HealRate, IDS_HEAL_RATE, kHealRateEntries),
    UnsignedRow(fields::MaxPlayers, IDS_MAX_PLAYERS),
    UnsignedRow(fields::FragLimit, IDS_FRAG_LIMIT),
    UnsignedRow(fields::TimeLimit, IDS_TIME_LIMIT),
    CheckRow(fields::HealthDrop, IDS_HEALTH_DROP),
    CheckRow(fields::FastRunSpeed, IDS_FAST_RUN_SPEED),
    CheckRow(fields::BackpackDrop, IDS_BACKPACK_DROP),
    CheckRow(fields::FriendlyFire, IDS_FRIENDLY_FIRE),
    CheckRow(fields::WeaponDrop, IDS_WEAPON_DROP),
    CheckRow(fields::NoFallingDamage, IDS_NO_FALLING_DAMAGE),
    CheckRow(fields::RealisticMode, IDS_REALISTIC_MODE),
    CheckRow(fields::InfiniteAmmo, IDS_INFINITE_AMMO),
    CheckRow(fields::AllowLean, IDS_ALLOW_LEAN),
    CheckRow(fields::WeaponStay, IDS_WEAPON_STAY),
    CheckRow(fields::NoFootsteps, IDS_NO_FOOTSTEPS),
    CheckRow(fields::GameSpy, IDS_GAMESPY),
};

// Bleed To Death and Disable Bleeding stay in the template but are never
// shown, so the page cannot change them.
inline constexpr PageField kAdvancedFields[] = {
    SignedRow(fields::MapDuration, IDS_MAP_DURATION),
    MultiLineTextRow(fields::AdditionalOptions, IDS_ADDITIONAL_OPTIONS),
    FloatRow(fields::SpawnDelay, IDS_SPAWN_DELAY),
    SignedRow(fields::Invicibitlity, IDS_INVINCIBILITY),
    CheckRow(fields::MuteSpectators, IDS_MUTE_SPECTATORS),
    CheckRow(fields::ShowEnemyNames, IDS_SHOW_ENEMY_NAMES),
    CheckRow(fields::EnablePunkBuster, IDS_ENABLE_PUNKBUSTER),
    SignedRow(fields::InactiveSpectate, IDS_INACTIVE_SPECTATE),
    SignedRow(fields::InfoThreshold, IDS_INFO_THRESHOLD),
    SignedRow(fields::StatThreshold, IDS_STAT_THRESHOLD),
    HiddenCheckRow(fields::BleedToDeath, IDS_BLEED_TO_DEATH),
    HiddenCheckRow(fields::DisableBleeding, IDS_DISABLE_BLEEDING),
    CheckRow(fields::OnlineStatTracking, IDS_ONLINE_STAT_TRACKING),
    SignedRow(fields::MaxRagDolls, IDS_MAX_RAG_DOLLS),
    FloatRow(fields::DMSpeedMultiplier, IDS_DM_SPEED_MULTIPLIER),
    CaptionRow(IDS_RETREATING_OPTIONS),
    CheckRow(fields::RetreatEnable, IDS_ENABLE_RETREAT),
    CheckRow(fields::RetreatSpawnCost, IDS_RETREAT_SPAWN_COST),
    CheckRow(fields::RetreatRespawn, IDS_RETREAT_RESPAWN),
    FloatRow(fields::RetreatDelay, IDS_RETREAT_DELAY),
    FloatRow(fields::RetreatTime, IDS_RETREAT_TIME),
    CheckRow(fields::Pure, IDS_PURE),
};

// InvertObjectiveNumbers belongs to this section's file but is edited on
// the Team page.
inline constexpr PageField kAdvanced2Fields[] = {
    SignedRow(fields::AimAssistZoom, IDS_AIM_ASSIST_ZOOM),
    FloatRow(fields::AimAssistZoomTime, IDS_AIM_ASSIST_ZOOM_TIME),
    IntOrBlankRow(fields::FFAAlliedPistol, IDS_FFA_ALLIED_PISTOL),
    FloatRow(fields::AttackerAdvanceDelay, IDS_ATTACKER_ADVANCE_DELAY),
    SignedRow(fields::FFAMaxHealth, IDS_FFA_MAX_HEALTH),
    SignedRow(fields::LargePlayerCount, IDS_LARGE_PLAYER_COUNT),
    FloatRow(fields::PostRoundWaitTime, IDS_POST_ROUND_WAIT_TIME),
    SignedRow(fields::UseHagInitialBulletCount, IDS_USE_HAG_INITIAL_BULLET_COUNT),
    TextRow(fields::AbleGroupName, IDS_ABLE_GROUP_NAME),
    TextRow(fields::BakerGroupName, IDS_BAKER_GROUP_NAME),
    SignedRow(fields::SecondsLeftInMatch, IDS_SECONDS_LEFT_IN_MATCH),
    SignedRow(fields::WaitForTransitionFlag, IDS_WAIT_FOR_TRANSITION_FLAG),
    FloatRow(fields::IncapacitatedMaxHealth, IDS_INCAPACITATED_MAX_HEALTH),
    ChoiceRow(fields::EffectsController, IDS_BANDWIDTH_OPTIMIZATION, kEffectsControllerEntries),
};

// Peace Warm-Up is written to server.cfg like every other Team switch, so
// the page lets the operator change it, next to Do Warm-Up.
inline constexpr PageField kTeamFields[] = {
    TextRow(fields::TeamKillWarning, IDS_TEAM_KILL_WARNING),
    CheckRow(fields::DisableClasses, IDS_DISABLE_CLASSES_IN_TEAM_DM),
    SignedRow(fields::TeamKillKick, IDS_TEAM_KILL_KICK),
    SignedRow(fields::KickDuration, IDS_KICK_DURATION),
    SignedRow(fields::InactiveKick, IDS_INACTIVE_KICK),
    SignedRow(fields::WarmUpInterval, IDS_WARM_UP_INTERVAL),
    SignedRow(fields::RespawnInterval, IDS_RESPAWN_INTERVAL),
    SignedRow(fields::VoteMajority, IDS_VOTE_MAJORITY),
    FloatRow(fields::BodyTimeMax, IDS_BODY_TIME_MAX),
    FloatRow(fields::BodyTimeMin, IDS_BODY_TIME_MIN),
    SignedRow(fields::CorpsmanAttentionDist, IDS_CORPSMAN_ATTENTION_DIST),
    SignedRow(fields::CorpsmanHealAmount, IDS_CORPSMAN_HEAL_AMOUNT),
    FloatRow(fields::CorpsmanHealTime, IDS_CORPSMAN_HEAL_TIME),
    SignedRow(fields::CorpsmanMaxMorphine, IDS_CORPSMAN_MAX_MORPHINE),
    CheckRow(fields::EnableVoting, IDS_ENABLE_VOTING),
    CheckRow(fields::DoWarmup, IDS_DO_WARM_UP),
    CheckRow(fields::PeaceWarmup, IDS_PEACE_WARM_UP),
    FloatRow(fields::EngineerDisarmExplSpeedup, IDS_ENG_DISARM_SPEED_UP),
    SignedRow(fields::EngineerMaxExplosives, IDS_ENG_MAX_EXPLOSIVES),
    SignedRow(fields::CorpsmanMaxSulfa, IDS_CORPSMAN_MAX_SULFA),
    FloatRow(fields::CorpsmanReviveTime, IDS_CORPSMAN_REVIVE_TIME),
    FloatRow(fields::EngineerPlantExplSpeedup, IDS_ENG_PLANT_SPEED_UP),
    ChoiceRow(fields::PlayerSpawn, IDS_PLAYER_SPAWN, kPlayerSpawnEntries),
    CheckRow(fields::InvertObjectiveNumbers, IDS_INVERT_OBJECTIVE_NUMBER),
    SignedRow(fields::TeamKillWarnings, IDS_TEAM_KILL_WARNINGS),
    ChoiceRow(fields::AutoBalance, IDS_AUTO_BALANCE, kAutoBalanceEntries),
};

// Every number here is signed and never blanked: -1 shows as -1.
inline constexpr PageField kLimitsFields[] = {
    SignedRow(fields::InfantryLimit, IDS_INFANTRY),
    SignedRow(fields::CorpsmanLimit, IDS_CORPSMAN),
    SignedRow(fields::EngineerLimit, IDS_ENGINEER),
    SignedRow(fields::AmmoTechLimit, IDS_AMMO_TECH),
    SignedRow(fields::CloseRangeLimit, IDS_CLOSE_RANGE),
    SignedRow(fields::RiflesLimit, IDS_RIFLES),
    SignedRow(fields::SubMachineGunsLimit, IDS_SUB_MACHINE_GUNS),
    SignedRow(fields::MachineGunsLimit, IDS_MACHINE_GUNS),
    SignedRow(fields::SniperRiflesLimit, IDS_SNIPER_RIFLES),
    SignedRow(fields::ConnectionRestriction, IDS_CONNECTION_RESTRICTION),
    SignedRow(fields::SpawnPoolSizeRestriction, IDS_SPAWN_POOL_SIZE),
    SignedRow(fields::KickRestriction, IDS_KICK_RESTRICTIONS),
    SignedRow(fields::MinTeamBonus, IDS_MIN_TEAM_BONUS),
    SignedRow(fields::MaxTeamBonus, IDS_MAX_TEAM_BONUS),
    SignedRow(fields::MinKills, IDS_MIN_KILLS),
    SignedRow(fields::MaxKills, IDS_MAX_KILLS),
    SignedRow(fields::MinTeamOnline, IDS_MIN_TEAM_ONLINE),
    SignedRow(fields::MaxTeamOnline, IDS_MAX_TEAM_ONLINE),
    CaptionRow(IDS_CLASS_LIMITATIONS),
    CaptionRow(IDS_RESTRICTIONS),
    SignedRow(fields::AlliedFrags, IDS_ALLIED_FRAGS),
    SignedRow(fields::AxisFrags, IDS_AXIS_FRAGS),
    AllSkinsCheckRow(fields::AllowAllSkins, IDS_ALLOW_ALL_SKINS),
};

// The eight ammunition counts are optional: blank (-1) leaves the server's
// own value in force.
inline constexpr PageField kWeaponsFields[] = {
    IntOrBlankRow(fields::AmmoBoxesCountInit, IDS_AMMO_BOX_COUNT_INIT),
    IntOrBlankRow(fields::AmmoBoxesCountMax, IDS_AMMO_BOX_COUNT_MAX),
    FloatRow(fields::ArtilleryAmmoTime, IDS_ARTILLERY_AMMO_TIME),
    SignedRow(fields::ArtilleryInternalAmmo, IDS_ARTILLERY_INTERNAL_AMMO),
    FloatRow(fields::MGAmmoTime, IDS_MG_AMMO_TIME),
    SignedRow(fields::MGInternalAmmo, IDS_MG_INTERNAL_AMMO),
    IntOrBlankRow(fields::PistolAmmoInit, IDS_PISTOL_AMMO_INIT),
    IntOrBlankRow(fields::PistolAmmoMax, IDS_PISTOL_AMMO_MAX),
    FloatRow(fields::MGCoolRate, IDS_MG_COOL_RATE),
    FloatRow(fields::MGHeatRate, IDS_MG_HEAT_RATE),
    FloatRow(fields::MGJamTime, IDS_MG_JAM_TIME),
    SignedRow(fields::MGMaxHealth, IDS_MG_MAX_HEALTH),
    SignedRow(fields::MGSupplyCount, IDS_MG_SUPPLY_COUNT),
    SignedRow(fields::MGSupplyMaxCount, IDS_MG_SUPPLY_MAX),
    SignedRow(fields::MGSupplySize, IDS_MG_SUPPLY_SIZE),
    SignedRow(fields::MGUserDistance, IDS_MG_USER_DISTANCE),
    IntOrBlankRow(fields::RifleAmmoInit, IDS_RIFLE_AMMO_INIT),
    IntOrBlankRow(fields::RifleAmmoMax, IDS_RIFLE_AMMO_MAX),
    IntOrBlankRow(fields::SMGAmmoInit, IDS_SMG_AMMO_INIT),
    IntOrBlankRow(fields::SMGAmmoMax, IDS_SMG_AMMO_MAX),
    CheckRow(fields::CornucopiaAmmo, IDS_CORNUCOPIA_AMMO),
    CheckRow(fields::FullRestockAmmo, IDS_FULL_RESTOCK_AMMO),
    FloatRow(fields::ViewKickMultiplier, IDS_KICK_MUTLIPLIER),
    SignedRow(fields::ClientTracer, IDS_CLIENT_TRACER),
};

// The six initial and maximum counts are optional; float boxes are never
// blanked, so LandmineDefuseTime's -1 shows as -1.000000.
inline constexpr PageField kExplosivesFields[] = {
    SignedRow(fields::ArtilleryMaxHealth, IDS_ARTILLERY_MAX_HEALTH),
    SignedRow(fields::ArtillerySupportCount, IDS_ARTILLERY_SUPPORT_COUNT),
    SignedRow(fields::ArtillerySupplyMaxCount, IDS_ARTILLERY_SUPPLY_MAX_COUNT),
    SignedRow(fields::ArtillerySupplySize, IDS_ARTILLERY_SUPPLY_SIZE),
    FloatRow(fields::ExplosivesArmTime, IDS_EXPLOSIVES_ARM_TIME),
    SignedRow(fields::ExplosivesDamage, IDS_EXPLOSIVES_DAMAGE),
    FloatRow(fields::ExplosivesDisarmTime, IDS_EXPLOSIVES_DISARM_TIME),
    FloatRow(fields::ExplosivesFuseTime, IDS_EXPLOSIVES_FUSE_TIME),
    SignedRow(fields::ExplosivesRadius, IDS_EXPLOSIVES_RADIUS),
    IntOrBlankRow(fields::GrenadeCountInit, IDS_GRENADE_COUNT_INIT),
    IntOrBlankRow(fields::GrenadeCountMax, IDS_GRENADE_COUNT_MAX),
    FloatRow(fields::LandmineDefuseTime, IDS_LANDMINE_DEFUSE_TIME),
    FloatRow(fields::LandmineDefuseTimeEngineer, IDS_LANDMINE_DEFUSE_TIME_ENGINEER),
    SignedRow(fields::LandmineMaxSpotDistance, IDS_LANDMINE_MAX_SPOT_DIST),
    FloatRow(fields::LandmineSpotMultCrouch, IDS_LANDMINE_SPOT_MULTI_CROUCH),
    FloatRow(fields::LandmineSpotMultProne, IDS_LANDMINE_SPOT_MULTI_PRONE),
    FloatRow(fields::LandmineSpotMultStand, IDS_LANDMINE_SPOT_MULTI_STAND),
    FloatRow(fields::LandmineSpottingNarrowness, IDS_LANDMINE_SPOTTING_NARROWNESS),
    IntOrBlankRow(fields::LandminesCountInit, IDS_LANDMINES_COUNT_INIT),
    IntOrBlankRow(fields::LandminesCountMax, IDS_LANDMINES_COUNT_MAX),
    IntOrBlankRow(fields::SatchelChargesCountInit, IDS_SATCHELCHARGES_COUNT_INIT),
    IntOrBlankRow(fields::SatchelChargesCountMax, IDS_SATCHELCHARGES_COUNT_MAX),
    CheckRow(fields::GrenadesAllowed, IDS_ALLOW_GRENADES),
    CheckRow(fields::LandminesAllowed, IDS_ALLOW_LANDMINES),
    CheckRow(fields::SatchelChargesAllowed, IDS_ALLOW_SATCHELCHARGES),
};


// The start map beside its Use Map button, and the rotation with its swap
// marks.
inline constexpr PageField kMapsFields[] = {
    MarkedListRow(fields::MapRotationList, IDS_ROTATION),
    TextRow(fields::MapName, IDS_USE_MAP),
};

// The mods in use with their download marks, and the four death-match
// switches.
inline constexpr PageField kModsFields[] = {
    MarkedListRow(fields::ModuleUseList, IDS_MODS_IN_USE),
    CheckRow(fields::NoHealth, IDS_NO_HEALTH),
    CheckRow(fields::NoArmor, IDS_NO_ARMOR),
    CheckRow(fields::NoPowerups, IDS_NO_POWERUPS),
    CheckRow(fields::InstantItems, IDS_INSTANT_ITEMS),
};

struct SettingsPage {
    const char* name;  // the page's tab, as the tests and the command line name it
    unsigned title;    // the string of its tab
    const PageField* rows;
    std::size_t count;

    const PageField* begin() const { return rows; }
    const PageField* end() const { return rows + count; }
};

template <std::size_t N>
constexpr SettingsPage MakeSettingsPage(const char* name, unsigned title, const PageField (&rows)[N]) {
    return {name, title, rows, N};
}

// The nine pages in tab order.
inline constexpr SettingsPage kSettingsPages[] = {
    MakeSettingsPage("Basic", IDS_TAB_BASIC, kBasicFields),
    MakeSettingsPage("Advanced", IDS_TAB_ADVANCED, kAdvancedFields),
    MakeSettingsPage("Advanced2", IDS_TAB_ADVANCED2, kAdvanced2Fields),
    MakeSettingsPage("Team", IDS_TAB_TEAM, kTeamFields),
    MakeSettingsPage("Limits", IDS_TAB_LIMITS, kLimitsFields),
    MakeSettingsPage("Maps", IDS_TAB_MAPS, kMapsFields),
    MakeSettingsPage("Weapons", IDS_TAB_WEAPONS, kWeaponsFields),
    MakeSettingsPage("Explosives", IDS_TAB_EXPLOSIVES, kExplosivesFields),
    MakeSettingsPage("Mods", IDS_TAB_MODS, kModsFields),
};

PageControlKind KindOf(PageConversion conversion);
// "text box", "number box", "check box", ... for messages and JSON.
const char* KindName(PageControlKind kind);

// The row that edits `field` and the page it is on; nullptr when no page
// shows it.
const PageField* FindPageField(AnyField field, const SettingsPage** page = nullptr);

// ---- Conversions shared by the window and the command line ----------------

// The 32-bit pattern of an unsigned box stored into a signed field, and
// back: 4294967291 and -5 are the same field value.
std::int32_t BitsToInt(std::uint32_t bits);
std::uint32_t IntToBits(std::int32_t value);

// The integer-or-blank pair: a negative value (not set) shows as an empty
// box, and an empty box reads back as -1. Any other text is read as a
// signed integer, so "abc" gives 0.
inline bool ShowsBlank(std::int32_t value) { return value < 0; }
std::int32_t ParseIntOrBlankText(const char* text);

// The name is kept to its first 32 characters; shorter names stay whole.
void CutServerName(char* name);

// AllowAllSkins after a click on its check box: checked means 1 (all
// skins); unchecking a 1 gives 2 (the standard skins), anything else 0.
inline std::int32_t NextAllowAllSkins(bool checked, std::int32_t previous) {
    if (checked) return 1;
    return previous == 1 ? 2 : 0;
}
// Only 1 shows as checked; 0, 2 and any other value show unchecked.
inline bool AllowAllSkinsChecked(std::int32_t value) { return value == 1; }

// The value as the page shows it: the text of an edit box ("%f" for a
// float, blank for a negative optional count), "1" or "0" for a check box
// as it is ticked, the entry's text for a list ("" outside the list, which
// leaves the box without a selection), the stored text of a marked list.
// The three-valued skins switch shows its value, 0, 1 or 2, since the box
// alone cannot tell 0 from 2.
std::string ShowPageValue(const PageField& row, const ServerSettings& settings);

// Stores what an edit box holds as the page stores it when the operator
// leaves the box, with no check at all: "abc" in a number box gives 0, a
// float box reads only its first 63 characters, the server name is cut to
// 32 characters. Only for edit-box rows.
void StorePageText(const PageField& row, const char* text, ServerSettings& settings);

// The command line's reading of a value for `row`: the page's store, but
// refusing what the page would silently turn into something else (a number
// that is no number or out of range, a choice not in the list, a text too
// long for its field, a line break in a one-line box). Choices are taken by
// their shown text (any case) or by their index; check boxes take 1/0,
// on/off, true/false. False with the reason and the allowed values in
// `why`; `settings` is then unchanged.
bool SetPageValue(const PageField& row, const std::string& text, ServerSettings& settings, std::string& why);

// The values `row` allows, as the refusals state them.
std::string AllowedValues(const PageField& row);
