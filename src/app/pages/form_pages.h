// The seven form pages as tables: which control of each template shows
// which field of ServerSettings, and how. Rows follow the template order.
// Labels are absent on purpose: their text is the string of their own id.
#pragma once

#include "page_ids.h"
#include "ui_text_ids.h"
#include "app/pages/page_table.h"

namespace pages {

// Combo box entries, as strings in list order; the field holds the index.
inline constexpr unsigned kGameTypeEntries[] = {IDS_GAME_TYPE_FFA, IDS_GAME_TYPE_TEAM_DM, IDS_GAME_TYPE_INVADER};
inline constexpr unsigned kHealRateEntries[] = {IDS_HEAL_RATE_INSTANT, IDS_HEAL_RATE_5, IDS_HEAL_RATE_10, IDS_HEAL_RATE_20};
inline constexpr unsigned kEffectsControllerEntries[] = {IDS_EFFECTS_NETWORK_SPEED, IDS_EFFECTS_GFX_AMBIENCE};
inline constexpr unsigned kPlayerSpawnEntries[] = {IDS_SPAWN_DEFAULT, IDS_SPAWN_RANDOM, IDS_SPAWN_FARTHEST, IDS_SPAWN_TEAM, IDS_SPAWN_NOT_VISIBLE, IDS_SPAWN_CLOSEST, IDS_SPAWN_GROUP, IDS_SPAWN_NOT_FACING, IDS_SPAWN_BUFFERED_CLOSE};
inline constexpr unsigned kAutoBalanceEntries[] = {IDS_AUTO_BALANCE_NORMAL, IDS_AUTO_BALANCE_ON_ENTER, IDS_AUTO_BALANCE_ON_SPAWN};

using S = ServerSettings;

// The three number boxes of this page are unsigned.
inline constexpr PageControl kBasicControls[] = {
    ServerNameBox(IDC_BASIC_SERVER_NAME, &S::ServerName),
    TextBox(IDC_BASIC_SERVER_PASSWORD, &S::ServerPassword),
    TextBox(IDC_BASIC_WELCOME_MESSAGE, &S::WelcomeMessage),
    ChoiceBox(IDC_BASIC_GAME_TYPE, &S::GameType, kGameTypeEntries),
    ChoiceBox(IDC_BASIC_HEAL_RATE, &S::HealRate, kHealRateEntries),
    UnsignedBox(IDC_BASIC_MAX_PLAYERS, &S::MaxPlayers),
    UnsignedBox(IDC_BASIC_FRAG_LIMIT, &S::FragLimit),
    UnsignedBox(IDC_BASIC_TIME_LIMIT, &S::TimeLimit),
    CheckBox(IDC_BASIC_HEALTH_DROP, IDS_HEALTH_DROP, &S::HealthDrop),
    CheckBox(IDC_BASIC_FAST_RUN_SPEED, IDS_FAST_RUN_SPEED, &S::FastRunSpeed),
    CheckBox(IDC_BASIC_BACKPACK_DROP, IDS_BACKPACK_DROP, &S::BackpackDrop),
    CheckBox(IDC_BASIC_FRIENDLY_FIRE, IDS_FRIENDLY_FIRE, &S::FriendlyFire),
    CheckBox(IDC_BASIC_WEAPON_DROP, IDS_WEAPON_DROP, &S::WeaponDrop),
    CheckBox(IDC_BASIC_NO_FALLING_DAMAGE, IDS_NO_FALLING_DAMAGE, &S::NoFallingDamage),
    CheckBox(IDC_BASIC_REALISTIC_MODE, IDS_REALISTIC_MODE, &S::RealisticMode),
    CheckBox(IDC_BASIC_INFINITE_AMMO, IDS_INFINITE_AMMO, &S::InfiniteAmmo),
    CheckBox(IDC_BASIC_ALLOW_LEAN, IDS_ALLOW_LEAN, &S::AllowLean),
    CheckBox(IDC_BASIC_WEAPON_STAY, IDS_WEAPON_STAY, &S::WeaponStay),
    CheckBox(IDC_BASIC_NO_FOOTSTEPS, IDS_NO_FOOTSTEPS, &S::NoFootsteps),
    CheckBox(IDC_BASIC_GAMESPY, IDS_GAMESPY, &S::GameSpy),
};

// Bleed To Death and Disable Bleeding stay in the template but are never
// shown, so the page cannot change them.
inline constexpr PageControl kAdvancedControls[] = {
    SignedBox(IDC_ADV_MAP_DURATION, &S::MapDuration),
    TextBox(IDC_ADV_ADDITIONAL_OPTIONS, &S::AdditionalOptions),
    FloatBox(IDC_ADV_SPAWN_DELAY, &S::SpawnDelay),
    SignedBox(IDC_ADV_INVINCIBILITY, &S::Invicibitlity),
    CheckBox(IDC_ADV_MUTE_SPECTATORS, IDS_MUTE_SPECTATORS, &S::MuteSpectators),
    CheckBox(IDC_ADV_SHOW_ENEMY_NAMES, IDS_SHOW_ENEMY_NAMES, &S::ShowEnemyNames),
    CheckBox(IDC_ADV_PUNKBUSTER, IDS_ENABLE_PUNKBUSTER, &S::EnablePunkBuster),
    SignedBox(IDC_ADV_INACTIVE_SPECTATE, &S::InactiveSpectate),
    SignedBox(IDC_ADV_INFO_THRESHOLD, &S::InfoThreshold),
    SignedBox(IDC_ADV_STAT_THRESHOLD, &S::StatThreshold),
    HiddenCheckBox(IDC_ADV_BLEED_TO_DEATH, IDS_BLEED_TO_DEATH, &S::BleedToDeath),
    HiddenCheckBox(IDC_ADV_DISABLE_BLEEDING, IDS_DISABLE_BLEEDING, &S::DisableBleeding),
    CheckBox(IDC_ADV_ONLINE_STATS, IDS_ONLINE_STAT_TRACKING, &S::OnlineStatTracking),
    SignedBox(IDC_ADV_MAX_RAG_DOLLS, &S::MaxRagDolls),
    FloatBox(IDC_ADV_DM_SPEED_MULTIPLIER, &S::DMSpeedMultiplier),
    GroupBox(IDC_ADV_RETREAT_GROUP, IDS_RETREATING_OPTIONS),
    CheckBox(IDC_ADV_RETREAT_ENABLE, IDS_ENABLE_RETREAT, &S::RetreatEnable),
    CheckBox(IDC_ADV_RETREAT_SPAWN_COST, IDS_RETREAT_SPAWN_COST, &S::RetreatSpawnCost),
    CheckBox(IDC_ADV_RETREAT_RESPAWN, IDS_RETREAT_RESPAWN, &S::RetreatRespawn),
    FloatBox(IDC_ADV_RETREAT_DELAY, &S::RetreatDelay),
    FloatBox(IDC_ADV_RETREAT_TIME, &S::RetreatTime),
    CheckBox(IDC_ADV_PURE, IDS_PURE, &S::Pure),
};

// InvertObjectiveNumbers belongs to this section's file but is edited on
// the Team page.
inline constexpr PageControl kAdvanced2Controls[] = {
    SignedBox(IDC_ADV2_AIM_ASSIST_ZOOM, &S::AimAssistZoom),
    FloatBox(IDC_ADV2_AIM_ASSIST_ZOOM_TIME, &S::AimAssistZoomTime),
    IntOrBlankBox(IDC_ADV2_FFA_ALLIED_PISTOL, &S::FFAAlliedPistol),
    FloatBox(IDC_ADV2_ATTACKER_ADVANCE_DELAY, &S::AttackerAdvanceDelay),
    SignedBox(IDC_ADV2_FFA_MAX_HEALTH, &S::FFAMaxHealth),
    SignedBox(IDC_ADV2_LARGE_PLAYER_COUNT, &S::LargePlayerCount),
    FloatBox(IDC_ADV2_POST_ROUND_WAIT_TIME, &S::PostRoundWaitTime),
    SignedBox(IDC_ADV2_USE_HAG_INITIAL_BULLETS, &S::UseHagInitialBulletCount),
    TextBox(IDC_ADV2_ABLE_GROUP_NAME, &S::AbleGroupName),
    TextBox(IDC_ADV2_BAKER_GROUP_NAME, &S::BakerGroupName),
    SignedBox(IDC_ADV2_SECONDS_LEFT_IN_MATCH, &S::SecondsLeftInMatch),
    SignedBox(IDC_ADV2_WAIT_FOR_TRANSITION, &S::WaitForTransitionFlag),
    FloatBox(IDC_ADV2_INCAPACITATED_MAX_HEALTH, &S::IncapacitatedMaxHealth),
    ChoiceBox(IDC_ADV2_EFFECTS_CONTROLLER, &S::EffectsController, kEffectsControllerEntries),
};

// Peace Warm-Up is written to server.cfg like every other Team switch, so
// the page lets the operator change it, next to Do Warm-Up.
inline constexpr PageControl kTeamControls[] = {
    TextBox(IDC_TEAM_KILL_WARNING, &S::TeamKillWarning),
    CheckBox(IDC_TEAM_DISABLE_CLASSES, IDS_DISABLE_CLASSES_IN_TEAM_DM, &S::DisableClasses),
    SignedBox(IDC_TEAM_KILL_KICK, &S::TeamKillKick),
    SignedBox(IDC_TEAM_KICK_DURATION, &S::KickDuration),
    SignedBox(IDC_TEAM_INACTIVE_KICK, &S::InactiveKick),
    SignedBox(IDC_TEAM_WARMUP_INTERVAL, &S::WarmUpInterval),
    SignedBox(IDC_TEAM_RESPAWN_INTERVAL, &S::RespawnInterval),
    SignedBox(IDC_TEAM_VOTE_MAJORITY, &S::VoteMajority),
    FloatBox(IDC_TEAM_BODY_TIME_MAX, &S::BodyTimeMax),
    FloatBox(IDC_TEAM_BODY_TIME_MIN, &S::BodyTimeMin),
    SignedBox(IDC_TEAM_CORPSMAN_ATTENTION_DIST, &S::CorpsmanAttentionDist),
    SignedBox(IDC_TEAM_CORPSMAN_HEAL_AMOUNT, &S::CorpsmanHealAmount),
    FloatBox(IDC_TEAM_CORPSMAN_HEAL_TIME, &S::CorpsmanHealTime),
    SignedBox(IDC_TEAM_CORPSMAN_MAX_MORPHINE, &S::CorpsmanMaxMorphine),
    CheckBox(IDC_TEAM_ENABLE_VOTING, IDS_ENABLE_VOTING, &S::EnableVoting),
    CheckBox(IDC_TEAM_DO_WARMUP, IDS_DO_WARM_UP, &S::DoWarmup),
    CheckBox(IDC_TEAM_PEACE_WARMUP, IDS_PEACE_WARM_UP, &S::PeaceWarmup),
    FloatBox(IDC_TEAM_ENG_DISARM_SPEEDUP, &S::EngineerDisarmExplSpeedup),
    SignedBox(IDC_TEAM_ENG_MAX_EXPLOSIVES, &S::EngineerMaxExplosives),
    SignedBox(IDC_TEAM_CORPSMAN_MAX_SULFA, &S::CorpsmanMaxSulfa),
    FloatBox(IDC_TEAM_CORPSMAN_REVIVE_TIME, &S::CorpsmanReviveTime),
    FloatBox(IDC_TEAM_ENG_PLANT_SPEEDUP, &S::EngineerPlantExplSpeedup),
    ChoiceBox(IDC_TEAM_PLAYER_SPAWN, &S::PlayerSpawn, kPlayerSpawnEntries),
    CheckBox(IDC_TEAM_INVERT_OBJECTIVES, IDS_INVERT_OBJECTIVE_NUMBER, &S::InvertObjectiveNumbers),
    SignedBox(IDC_TEAM_KILL_WARNINGS, &S::TeamKillWarnings),
    ChoiceBox(IDC_TEAM_AUTO_BALANCE, &S::AutoBalance, kAutoBalanceEntries),
};

// Every number here is signed and never blanked: -1 shows as -1.
inline constexpr PageControl kLimitsControls[] = {
    SignedBox(IDC_LIMITS_INFANTRY, &S::InfantryLimit),
    SignedBox(IDC_LIMITS_CORPSMAN, &S::CorpsmanLimit),
    SignedBox(IDC_LIMITS_ENGINEER, &S::EngineerLimit),
    SignedBox(IDC_LIMITS_AMMO_TECH, &S::AmmoTechLimit),
    SignedBox(IDC_LIMITS_CLOSE_RANGE, &S::CloseRangeLimit),
    SignedBox(IDC_LIMITS_RIFLES, &S::RiflesLimit),
    SignedBox(IDC_LIMITS_SMGS, &S::SubMachineGunsLimit),
    SignedBox(IDC_LIMITS_MGS, &S::MachineGunsLimit),
    SignedBox(IDC_LIMITS_SNIPER_RIFLES, &S::SniperRiflesLimit),
    SignedBox(IDC_LIMITS_CONNECTION, &S::ConnectionRestriction),
    SignedBox(IDC_LIMITS_SPAWN_POOL, &S::SpawnPoolSizeRestriction),
    SignedBox(IDC_LIMITS_KICK, &S::KickRestriction),
    SignedBox(IDC_LIMITS_MIN_TEAM_BONUS, &S::MinTeamBonus),
    SignedBox(IDC_LIMITS_MAX_TEAM_BONUS, &S::MaxTeamBonus),
    SignedBox(IDC_LIMITS_MIN_KILLS, &S::MinKills),
    SignedBox(IDC_LIMITS_MAX_KILLS, &S::MaxKills),
    SignedBox(IDC_LIMITS_MIN_TEAM_ONLINE, &S::MinTeamOnline),
    SignedBox(IDC_LIMITS_MAX_TEAM_ONLINE, &S::MaxTeamOnline),
    GroupBox(IDC_LIMITS_CLASS_GROUP, IDS_CLASS_LIMITATIONS),
    GroupBox(IDC_LIMITS_RESTRICTIONS_GROUP, IDS_RESTRICTIONS),
    SignedBox(IDC_LIMITS_ALLIED_FRAGS, &S::AlliedFrags),
    SignedBox(IDC_LIMITS_AXIS_FRAGS, &S::AxisFrags),
    AllSkinsCheckBox(IDC_LIMITS_ALLOW_ALL_SKINS, IDS_ALLOW_ALL_SKINS, &S::AllowAllSkins),
};

// The eight ammunition counts are optional: blank (-1) leaves the server's
// own value in force.
inline constexpr PageControl kWeaponsControls[] = {
    IntOrBlankBox(IDC_WEAPONS_AMMO_BOXES_INIT, &S::AmmoBoxesCountInit),
    IntOrBlankBox(IDC_WEAPONS_AMMO_BOXES_MAX, &S::AmmoBoxesCountMax),
    FloatBox(IDC_WEAPONS_ARTILLERY_AMMO_TIME, &S::ArtilleryAmmoTime),
    SignedBox(IDC_WEAPONS_ARTILLERY_INTERNAL_AMMO, &S::ArtilleryInternalAmmo),
    FloatBox(IDC_WEAPONS_MG_AMMO_TIME, &S::MGAmmoTime),
    SignedBox(IDC_WEAPONS_MG_INTERNAL_AMMO, &S::MGInternalAmmo),
    IntOrBlankBox(IDC_WEAPONS_PISTOL_AMMO_INIT, &S::PistolAmmoInit),
    IntOrBlankBox(IDC_WEAPONS_PISTOL_AMMO_MAX, &S::PistolAmmoMax),
    FloatBox(IDC_WEAPONS_MG_COOL_RATE, &S::MGCoolRate),
    FloatBox(IDC_WEAPONS_MG_HEAT_RATE, &S::MGHeatRate),
    FloatBox(IDC_WEAPONS_MG_JAM_TIME, &S::MGJamTime),
    SignedBox(IDC_WEAPONS_MG_MAX_HEALTH, &S::MGMaxHealth),
    SignedBox(IDC_WEAPONS_MG_SUPPLY_COUNT, &S::MGSupplyCount),
    SignedBox(IDC_WEAPONS_MG_SUPPLY_MAX, &S::MGSupplyMaxCount),
    SignedBox(IDC_WEAPONS_MG_SUPPLY_SIZE, &S::MGSupplySize),
    SignedBox(IDC_WEAPONS_MG_USER_DISTANCE, &S::MGUserDistance),
    IntOrBlankBox(IDC_WEAPONS_RIFLE_AMMO_INIT, &S::RifleAmmoInit),
    IntOrBlankBox(IDC_WEAPONS_RIFLE_AMMO_MAX, &S::RifleAmmoMax),
    IntOrBlankBox(IDC_WEAPONS_SMG_AMMO_INIT, &S::SMGAmmoInit),
    IntOrBlankBox(IDC_WEAPONS_SMG_AMMO_MAX, &S::SMGAmmoMax),
    CheckBox(IDC_WEAPONS_CORNUCOPIA_AMMO, IDS_CORNUCOPIA_AMMO, &S::CornucopiaAmmo),
    CheckBox(IDC_WEAPONS_FULL_RESTOCK_AMMO, IDS_FULL_RESTOCK_AMMO, &S::FullRestockAmmo),
    FloatBox(IDC_WEAPONS_VIEW_KICK, &S::ViewKickMultiplier),
    SignedBox(IDC_WEAPONS_CLIENT_TRACER, &S::ClientTracer),
};

// The six initial and maximum counts are optional; float boxes are never
// blanked, so LandmineDefuseTime's -1 shows as -1.000000.
inline constexpr PageControl kExplosivesControls[] = {
    SignedBox(IDC_EXPL_ARTILLERY_MAX_HEALTH, &S::ArtilleryMaxHealth),
    SignedBox(IDC_EXPL_ARTILLERY_SUPPORT_COUNT, &S::ArtillerySupportCount),
    SignedBox(IDC_EXPL_ARTILLERY_SUPPLY_MAX, &S::ArtillerySupplyMaxCount),
    SignedBox(IDC_EXPL_ARTILLERY_SUPPLY_SIZE, &S::ArtillerySupplySize),
    FloatBox(IDC_EXPL_ARM_TIME, &S::ExplosivesArmTime),
    SignedBox(IDC_EXPL_DAMAGE, &S::ExplosivesDamage),
    FloatBox(IDC_EXPL_DISARM_TIME, &S::ExplosivesDisarmTime),
    FloatBox(IDC_EXPL_FUSE_TIME, &S::ExplosivesFuseTime),
    SignedBox(IDC_EXPL_RADIUS, &S::ExplosivesRadius),
    IntOrBlankBox(IDC_EXPL_GRENADES_INIT, &S::GrenadeCountInit),
    IntOrBlankBox(IDC_EXPL_GRENADES_MAX, &S::GrenadeCountMax),
    FloatBox(IDC_EXPL_LANDMINE_DEFUSE_TIME, &S::LandmineDefuseTime),
    FloatBox(IDC_EXPL_LANDMINE_DEFUSE_TIME_ENG, &S::LandmineDefuseTimeEngineer),
    SignedBox(IDC_EXPL_LANDMINE_MAX_SPOT_DIST, &S::LandmineMaxSpotDistance),
    FloatBox(IDC_EXPL_LANDMINE_SPOT_CROUCH, &S::LandmineSpotMultCrouch),
    FloatBox(IDC_EXPL_LANDMINE_SPOT_PRONE, &S::LandmineSpotMultProne),
    FloatBox(IDC_EXPL_LANDMINE_SPOT_STAND, &S::LandmineSpotMultStand),
    FloatBox(IDC_EXPL_LANDMINE_NARROWNESS, &S::LandmineSpottingNarrowness),
    IntOrBlankBox(IDC_EXPL_LANDMINES_INIT, &S::LandminesCountInit),
    IntOrBlankBox(IDC_EXPL_LANDMINES_MAX, &S::LandminesCountMax),
    IntOrBlankBox(IDC_EXPL_SATCHELS_INIT, &S::SatchelChargesCountInit),
    IntOrBlankBox(IDC_EXPL_SATCHELS_MAX, &S::SatchelChargesCountMax),
    CheckBox(IDC_EXPL_ALLOW_GRENADES, IDS_ALLOW_GRENADES, &S::GrenadesAllowed),
    CheckBox(IDC_EXPL_ALLOW_LANDMINES, IDS_ALLOW_LANDMINES, &S::LandminesAllowed),
    CheckBox(IDC_EXPL_ALLOW_SATCHELS, IDS_ALLOW_SATCHELCHARGES, &S::SatchelChargesAllowed),
};

inline constexpr FormPage kBasicPage = MakeFormPage("Basic", IDD_BASIC_PAGE, kBasicControls);
inline constexpr FormPage kAdvancedPage = MakeFormPage("Advanced", IDD_ADVANCED_PAGE, kAdvancedControls);
inline constexpr FormPage kAdvanced2Page = MakeFormPage("Advanced2", IDD_ADVANCED2_PAGE, kAdvanced2Controls);
inline constexpr FormPage kTeamPage = MakeFormPage("Team", IDD_TEAM_PAGE, kTeamControls);
inline constexpr FormPage kLimitsPage = MakeFormPage("Limits", IDD_LIMITS_PAGE, kLimitsControls);
inline constexpr FormPage kWeaponsPage = MakeFormPage("Weapons", IDD_WEAPONS_PAGE, kWeaponsControls);
inline constexpr FormPage kExplosivesPage = MakeFormPage("Explosives", IDD_EXPLOSIVES_PAGE, kExplosivesControls);

inline constexpr const FormPage* kFormPages[] = {
    &kBasicPage, &kAdvancedPage, &kAdvanced2Page, &kTeamPage,
    &kLimitsPage, &kWeaponsPage, &kExplosivesPage,
};

}  // namespace pages
