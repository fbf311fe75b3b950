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

// The three number boxes of this page are unsigned.
inline constexpr PageControl kBasicControls[] = {
    ServerNameBox(IDC_BASIC_SERVER_NAME, fields::ServerName),
    TextBox(IDC_BASIC_SERVER_PASSWORD, fields::ServerPassword),
    TextBox(IDC_BASIC_WELCOME_MESSAGE, fields::WelcomeMessage),
    ChoiceBox(IDC_BASIC_GAME_TYPE, fields::GameType, kGameTypeEntries),
    ChoiceBox(IDC_BASIC_HEAL_RATE, fields::HealRate, kHealRateEntries),
    UnsignedBox(IDC_BASIC_MAX_PLAYERS, fields::MaxPlayers),
    UnsignedBox(IDC_BASIC_FRAG_LIMIT, fields::FragLimit),
    UnsignedBox(IDC_BASIC_TIME_LIMIT, fields::TimeLimit),
    CheckBox(IDC_BASIC_HEALTH_DROP, IDS_HEALTH_DROP, fields::HealthDrop),
    CheckBox(IDC_BASIC_FAST_RUN_SPEED, IDS_FAST_RUN_SPEED, fields::FastRunSpeed),
    CheckBox(IDC_BASIC_BACKPACK_DROP, IDS_BACKPACK_DROP, fields::BackpackDrop),
    CheckBox(IDC_BASIC_FRIENDLY_FIRE, IDS_FRIENDLY_FIRE, fields::FriendlyFire),
    CheckBox(IDC_BASIC_WEAPON_DROP, IDS_WEAPON_DROP, fields::WeaponDrop),
    CheckBox(IDC_BASIC_NO_FALLING_DAMAGE, IDS_NO_FALLING_DAMAGE, fields::NoFallingDamage),
    CheckBox(IDC_BASIC_REALISTIC_MODE, IDS_REALISTIC_MODE, fields::RealisticMode),
    CheckBox(IDC_BASIC_INFINITE_AMMO, IDS_INFINITE_AMMO, fields::InfiniteAmmo),
    CheckBox(IDC_BASIC_ALLOW_LEAN, IDS_ALLOW_LEAN, fields::AllowLean),
    CheckBox(IDC_BASIC_WEAPON_STAY, IDS_WEAPON_STAY, fields::WeaponStay),
    CheckBox(IDC_BASIC_NO_FOOTSTEPS, IDS_NO_FOOTSTEPS, fields::NoFootsteps),
    CheckBox(IDC_BASIC_GAMESPY, IDS_GAMESPY, fields::GameSpy),
};

// Bleed To Death and Disable Bleeding stay in the template but are never
// shown, so the page cannot change them.
inline constexpr PageControl kAdvancedControls[] = {
    SignedBox(IDC_ADV_MAP_DURATION, fields::MapDuration),
    TextBox(IDC_ADV_ADDITIONAL_OPTIONS, fields::AdditionalOptions),
    FloatBox(IDC_ADV_SPAWN_DELAY, fields::SpawnDelay),
    SignedBox(IDC_ADV_INVINCIBILITY, fields::Invicibitlity),
    CheckBox(IDC_ADV_MUTE_SPECTATORS, IDS_MUTE_SPECTATORS, fields::MuteSpectators),
    CheckBox(IDC_ADV_SHOW_ENEMY_NAMES, IDS_SHOW_ENEMY_NAMES, fields::ShowEnemyNames),
    CheckBox(IDC_ADV_PUNKBUSTER, IDS_ENABLE_PUNKBUSTER, fields::EnablePunkBuster),
    SignedBox(IDC_ADV_INACTIVE_SPECTATE, fields::InactiveSpectate),
    SignedBox(IDC_ADV_INFO_THRESHOLD, fields::InfoThreshold),
    SignedBox(IDC_ADV_STAT_THRESHOLD, fields::StatThreshold),
    HiddenCheckBox(IDC_ADV_BLEED_TO_DEATH, IDS_BLEED_TO_DEATH, fields::BleedToDeath),
    HiddenCheckBox(IDC_ADV_DISABLE_BLEEDING, IDS_DISABLE_BLEEDING, fields::DisableBleeding),
    CheckBox(IDC_ADV_ONLINE_STATS, IDS_ONLINE_STAT_TRACKING, fields::OnlineStatTracking),
    SignedBox(IDC_ADV_MAX_RAG_DOLLS, fields::MaxRagDolls),
    FloatBox(IDC_ADV_DM_SPEED_MULTIPLIER, fields::DMSpeedMultiplier),
    GroupBox(IDC_ADV_RETREAT_GROUP, IDS_RETREATING_OPTIONS),
    CheckBox(IDC_ADV_RETREAT_ENABLE, IDS_ENABLE_RETREAT, fields::RetreatEnable),
    CheckBox(IDC_ADV_RETREAT_SPAWN_COST, IDS_RETREAT_SPAWN_COST, fields::RetreatSpawnCost),
    CheckBox(IDC_ADV_RETREAT_RESPAWN, IDS_RETREAT_RESPAWN, fields::RetreatRespawn),
    FloatBox(IDC_ADV_RETREAT_DELAY, fields::RetreatDelay),
    FloatBox(IDC_ADV_RETREAT_TIME, fields::RetreatTime),
    CheckBox(IDC_ADV_PURE, IDS_PURE, fields::Pure),
};

// InvertObjectiveNumbers belongs to this section's file but is edited on
// the Team page.
inline constexpr PageControl kAdvanced2Controls[] = {
    SignedBox(IDC_ADV2_AIM_ASSIST_ZOOM, fields::AimAssistZoom),
    FloatBox(IDC_ADV2_AIM_ASSIST_ZOOM_TIME, fields::AimAssistZoomTime),
    IntOrBlankBox(IDC_ADV2_FFA_ALLIED_PISTOL, fields::FFAAlliedPistol),
    FloatBox(IDC_ADV2_ATTACKER_ADVANCE_DELAY, fields::AttackerAdvanceDelay),
    SignedBox(IDC_ADV2_FFA_MAX_HEALTH, fields::FFAMaxHealth),
    SignedBox(IDC_ADV2_LARGE_PLAYER_COUNT, fields::LargePlayerCount),
    FloatBox(IDC_ADV2_POST_ROUND_WAIT_TIME, fields::PostRoundWaitTime),
    SignedBox(IDC_ADV2_USE_HAG_INITIAL_BULLETS, fields::UseHagInitialBulletCount),
    TextBox(IDC_ADV2_ABLE_GROUP_NAME, fields::AbleGroupName),
    TextBox(IDC_ADV2_BAKER_GROUP_NAME, fields::BakerGroupName),
    SignedBox(IDC_ADV2_SECONDS_LEFT_IN_MATCH, fields::SecondsLeftInMatch),
    SignedBox(IDC_ADV2_WAIT_FOR_TRANSITION, fields::WaitForTransitionFlag),
    FloatBox(IDC_ADV2_INCAPACITATED_MAX_HEALTH, fields::IncapacitatedMaxHealth),
    ChoiceBox(IDC_ADV2_EFFECTS_CONTROLLER, fields::EffectsController, kEffectsControllerEntries),
};

// Peace Warm-Up is written to server.cfg like every other Team switch, so
// the page lets the operator change it, next to Do Warm-Up.
inline constexpr PageControl kTeamControls[] = {
    TextBox(IDC_TEAM_KILL_WARNING, fields::TeamKillWarning),
    CheckBox(IDC_TEAM_DISABLE_CLASSES, IDS_DISABLE_CLASSES_IN_TEAM_DM, fields::DisableClasses),
    SignedBox(IDC_TEAM_KILL_KICK, fields::TeamKillKick),
    SignedBox(IDC_TEAM_KICK_DURATION, fields::KickDuration),
    SignedBox(IDC_TEAM_INACTIVE_KICK, fields::InactiveKick),
    SignedBox(IDC_TEAM_WARMUP_INTERVAL, fields::WarmUpInterval),
    SignedBox(IDC_TEAM_RESPAWN_INTERVAL, fields::RespawnInterval),
    SignedBox(IDC_TEAM_VOTE_MAJORITY, fields::VoteMajority),
    FloatBox(IDC_TEAM_BODY_TIME_MAX, fields::BodyTimeMax),
    FloatBox(IDC_TEAM_BODY_TIME_MIN, fields::BodyTimeMin),
    SignedBox(IDC_TEAM_CORPSMAN_ATTENTION_DIST, fields::CorpsmanAttentionDist),
    SignedBox(IDC_TEAM_CORPSMAN_HEAL_AMOUNT, fields::CorpsmanHealAmount),
    FloatBox(IDC_TEAM_CORPSMAN_HEAL_TIME, fields::CorpsmanHealTime),
    SignedBox(IDC_TEAM_CORPSMAN_MAX_MORPHINE, fields::CorpsmanMaxMorphine),
    CheckBox(IDC_TEAM_ENABLE_VOTING, IDS_ENABLE_VOTING, fields::EnableVoting),
    CheckBox(IDC_TEAM_DO_WARMUP, IDS_DO_WARM_UP, fields::DoWarmup),
    CheckBox(IDC_TEAM_PEACE_WARMUP, IDS_PEACE_WARM_UP, fields::PeaceWarmup),
    FloatBox(IDC_TEAM_ENG_DISARM_SPEEDUP, fields::EngineerDisarmExplSpeedup),
    SignedBox(IDC_TEAM_ENG_MAX_EXPLOSIVES, fields::EngineerMaxExplosives),
    SignedBox(IDC_TEAM_CORPSMAN_MAX_SULFA, fields::CorpsmanMaxSulfa),
    FloatBox(IDC_TEAM_CORPSMAN_REVIVE_TIME, fields::CorpsmanReviveTime),
    FloatBox(IDC_TEAM_ENG_PLANT_SPEEDUP, fields::EngineerPlantExplSpeedup),
    ChoiceBox(IDC_TEAM_PLAYER_SPAWN, fields::PlayerSpawn, kPlayerSpawnEntries),
    CheckBox(IDC_TEAM_INVERT_OBJECTIVES, IDS_INVERT_OBJECTIVE_NUMBER, fields::InvertObjectiveNumbers),
    SignedBox(IDC_TEAM_KILL_WARNINGS, fields::TeamKillWarnings),
    ChoiceBox(IDC_TEAM_AUTO_BALANCE, fields::AutoBalance, kAutoBalanceEntries),
};

// Every number here is signed and never blanked: -1 shows as -1.
inline constexpr PageControl kLimitsControls[] = {
    SignedBox(IDC_LIMITS_INFANTRY, fields::InfantryLimit),
    SignedBox(IDC_LIMITS_CORPSMAN, fields::CorpsmanLimit),
    SignedBox(IDC_LIMITS_ENGINEER, fields::EngineerLimit),
    SignedBox(IDC_LIMITS_AMMO_TECH, fields::AmmoTechLimit),
    SignedBox(IDC_LIMITS_CLOSE_RANGE, fields::CloseRangeLimit),
    SignedBox(IDC_LIMITS_RIFLES, fields::RiflesLimit),
    SignedBox(IDC_LIMITS_SMGS, fields::SubMachineGunsLimit),
    SignedBox(IDC_LIMITS_MGS, fields::MachineGunsLimit),
    SignedBox(IDC_LIMITS_SNIPER_RIFLES, fields::SniperRiflesLimit),
    SignedBox(IDC_LIMITS_CONNECTION, fields::ConnectionRestriction),
    SignedBox(IDC_LIMITS_SPAWN_POOL, fields::SpawnPoolSizeRestriction),
    SignedBox(IDC_LIMITS_KICK, fields::KickRestriction),
    SignedBox(IDC_LIMITS_MIN_TEAM_BONUS, fields::MinTeamBonus),
    SignedBox(IDC_LIMITS_MAX_TEAM_BONUS, fields::MaxTeamBonus),
    SignedBox(IDC_LIMITS_MIN_KILLS, fields::MinKills),
    SignedBox(IDC_LIMITS_MAX_KILLS, fields::MaxKills),
    SignedBox(IDC_LIMITS_MIN_TEAM_ONLINE, fields::MinTeamOnline),
    SignedBox(IDC_LIMITS_MAX_TEAM_ONLINE, fields::MaxTeamOnline),
    GroupBox(IDC_LIMITS_CLASS_GROUP, IDS_CLASS_LIMITATIONS),
    GroupBox(IDC_LIMITS_RESTRICTIONS_GROUP, IDS_RESTRICTIONS),
    SignedBox(IDC_LIMITS_ALLIED_FRAGS, fields::AlliedFrags),
    SignedBox(IDC_LIMITS_AXIS_FRAGS, fields::AxisFrags),
    AllSkinsCheckBox(IDC_LIMITS_ALLOW_ALL_SKINS, IDS_ALLOW_ALL_SKINS, fields::AllowAllSkins),
};

// The eight ammunition counts are optional: blank (-1) leaves the server's
// own value in force.
inline constexpr PageControl kWeaponsControls[] = {
    IntOrBlankBox(IDC_WEAPONS_AMMO_BOXES_INIT, fields::AmmoBoxesCountInit),
    IntOrBlankBox(IDC_WEAPONS_AMMO_BOXES_MAX, fields::AmmoBoxesCountMax),
    FloatBox(IDC_WEAPONS_ARTILLERY_AMMO_TIME, fields::ArtilleryAmmoTime),
    SignedBox(IDC_WEAPONS_ARTILLERY_INTERNAL_AMMO, fields::ArtilleryInternalAmmo),
    FloatBox(IDC_WEAPONS_MG_AMMO_TIME, fields::MGAmmoTime),
    SignedBox(IDC_WEAPONS_MG_INTERNAL_AMMO, fields::MGInternalAmmo),
    IntOrBlankBox(IDC_WEAPONS_PISTOL_AMMO_INIT, fields::PistolAmmoInit),
    IntOrBlankBox(IDC_WEAPONS_PISTOL_AMMO_MAX, fields::PistolAmmoMax),
    FloatBox(IDC_WEAPONS_MG_COOL_RATE, fields::MGCoolRate),
    FloatBox(IDC_WEAPONS_MG_HEAT_RATE, fields::MGHeatRate),
    FloatBox(IDC_WEAPONS_MG_JAM_TIME, fields::MGJamTime),
    SignedBox(IDC_WEAPONS_MG_MAX_HEALTH, fields::MGMaxHealth),
    SignedBox(IDC_WEAPONS_MG_SUPPLY_COUNT, fields::MGSupplyCount),
    SignedBox(IDC_WEAPONS_MG_SUPPLY_MAX, fields::MGSupplyMaxCount),
    SignedBox(IDC_WEAPONS_MG_SUPPLY_SIZE, fields::MGSupplySize),
    SignedBox(IDC_WEAPONS_MG_USER_DISTANCE, fields::MGUserDistance),
    IntOrBlankBox(IDC_WEAPONS_RIFLE_AMMO_INIT, fields::RifleAmmoInit),
    IntOrBlankBox(IDC_WEAPONS_RIFLE_AMMO_MAX, fields::RifleAmmoMax),
    IntOrBlankBox(IDC_WEAPONS_SMG_AMMO_INIT, fields::SMGAmmoInit),
    IntOrBlankBox(IDC_WEAPONS_SMG_AMMO_MAX, fields::SMGAmmoMax),
    CheckBox(IDC_WEAPONS_CORNUCOPIA_AMMO, IDS_CORNUCOPIA_AMMO, fields::CornucopiaAmmo),
    CheckBox(IDC_WEAPONS_FULL_RESTOCK_AMMO, IDS_FULL_RESTOCK_AMMO, fields::FullRestockAmmo),
    FloatBox(IDC_WEAPONS_VIEW_KICK, fields::ViewKickMultiplier),
    SignedBox(IDC_WEAPONS_CLIENT_TRACER, fields::ClientTracer),
};

// The six initial and maximum counts are optional; float boxes are never
// blanked, so LandmineDefuseTime's -1 shows as -1.000000.
inline constexpr PageControl kExplosivesControls[] = {
    SignedBox(IDC_EXPL_ARTILLERY_MAX_HEALTH, fields::ArtilleryMaxHealth),
    SignedBox(IDC_EXPL_ARTILLERY_SUPPORT_COUNT, fields::ArtillerySupportCount),
    SignedBox(IDC_EXPL_ARTILLERY_SUPPLY_MAX, fields::ArtillerySupplyMaxCount),
    SignedBox(IDC_EXPL_ARTILLERY_SUPPLY_SIZE, fields::ArtillerySupplySize),
    FloatBox(IDC_EXPL_ARM_TIME, fields::ExplosivesArmTime),
    SignedBox(IDC_EXPL_DAMAGE, fields::ExplosivesDamage),
    FloatBox(IDC_EXPL_DISARM_TIME, fields::ExplosivesDisarmTime),
    FloatBox(IDC_EXPL_FUSE_TIME, fields::ExplosivesFuseTime),
    SignedBox(IDC_EXPL_RADIUS, fields::ExplosivesRadius),
    IntOrBlankBox(IDC_EXPL_GRENADES_INIT, fields::GrenadeCountInit),
    IntOrBlankBox(IDC_EXPL_GRENADES_MAX, fields::GrenadeCountMax),
    FloatBox(IDC_EXPL_LANDMINE_DEFUSE_TIME, fields::LandmineDefuseTime),
    FloatBox(IDC_EXPL_LANDMINE_DEFUSE_TIME_ENG, fields::LandmineDefuseTimeEngineer),
    SignedBox(IDC_EXPL_LANDMINE_MAX_SPOT_DIST, fields::LandmineMaxSpotDistance),
    FloatBox(IDC_EXPL_LANDMINE_SPOT_CROUCH, fields::LandmineSpotMultCrouch),
    FloatBox(IDC_EXPL_LANDMINE_SPOT_PRONE, fields::LandmineSpotMultProne),
    FloatBox(IDC_EXPL_LANDMINE_SPOT_STAND, fields::LandmineSpotMultStand),
    FloatBox(IDC_EXPL_LANDMINE_NARROWNESS, fields::LandmineSpottingNarrowness),
    IntOrBlankBox(IDC_EXPL_LANDMINES_INIT, fields::LandminesCountInit),
    IntOrBlankBox(IDC_EXPL_LANDMINES_MAX, fields::LandminesCountMax),
    IntOrBlankBox(IDC_EXPL_SATCHELS_INIT, fields::SatchelChargesCountInit),
    IntOrBlankBox(IDC_EXPL_SATCHELS_MAX, fields::SatchelChargesCountMax),
    CheckBox(IDC_EXPL_ALLOW_GRENADES, IDS_ALLOW_GRENADES, fields::GrenadesAllowed),
    CheckBox(IDC_EXPL_ALLOW_LANDMINES, IDS_ALLOW_LANDMINES, fields::LandminesAllowed),
    CheckBox(IDC_EXPL_ALLOW_SATCHELS, IDS_ALLOW_SATCHELCHARGES, fields::SatchelChargesAllowed),
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
