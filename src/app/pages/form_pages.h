// The seven form pages as the window binds them: which control of each
// template shows which row of the core's page data. Controls follow the
// template order. Labels are absent on purpose: their text is the string
// of their own id.
#pragma once

#include "page_ids.h"
#include "ui_text_ids.h"
#include "app/pages/page_table.h"

namespace pages {

// The three number boxes of this page are unsigned.
inline constexpr PageControl kBasicControls[] = {
    Bind(IDC_BASIC_SERVER_NAME, kBasicFields, fields::ServerName),
    Bind(IDC_BASIC_SERVER_PASSWORD, kBasicFields, fields::ServerPassword),
    Bind(IDC_BASIC_WELCOME_MESSAGE, kBasicFields, fields::WelcomeMessage),
    Bind(IDC_BASIC_GAME_TYPE, kBasicFields, fields::GameType),
    Bind(IDC_BASIC_HEAL_RATE, kBasicFields, fields::HealRate),
    Bind(IDC_BASIC_MAX_PLAYERS, kBasicFields, fields::MaxPlayers),
    Bind(IDC_BASIC_FRAG_LIMIT, kBasicFields, fields::FragLimit),
    Bind(IDC_BASIC_TIME_LIMIT, kBasicFields, fields::TimeLimit),
    Bind(IDC_BASIC_HEALTH_DROP, kBasicFields, fields::HealthDrop),
    Bind(IDC_BASIC_FAST_RUN_SPEED, kBasicFields, fields::FastRunSpeed),
    Bind(IDC_BASIC_BACKPACK_DROP, kBasicFields, fields::BackpackDrop),
    Bind(IDC_BASIC_FRIENDLY_FIRE, kBasicFields, fields::FriendlyFire),
    Bind(IDC_BASIC_WEAPON_DROP, kBasicFields, fields::WeaponDrop),
    Bind(IDC_BASIC_NO_FALLING_DAMAGE, kBasicFields, fields::NoFallingDamage),
    Bind(IDC_BASIC_REALISTIC_MODE, kBasicFields, fields::RealisticMode),
    Bind(IDC_BASIC_INFINITE_AMMO, kBasicFields, fields::InfiniteAmmo),
    Bind(IDC_BASIC_ALLOW_LEAN, kBasicFields, fields::AllowLean),
    Bind(IDC_BASIC_WEAPON_STAY, kBasicFields, fields::WeaponStay),
    Bind(IDC_BASIC_NO_FOOTSTEPS, kBasicFields, fields::NoFootsteps),
    Bind(IDC_BASIC_GAMESPY, kBasicFields, fields::GameSpy),
};

// Bleed To Death and Disable Bleeding stay in the template but are never
// shown, so the page cannot change them.
inline constexpr PageControl kAdvancedControls[] = {
    Bind(IDC_ADV_MAP_DURATION, kAdvancedFields, fields::MapDuration),
    Bind(IDC_ADV_ADDITIONAL_OPTIONS, kAdvancedFields, fields::AdditionalOptions),
    Bind(IDC_ADV_SPAWN_DELAY, kAdvancedFields, fields::SpawnDelay),
    Bind(IDC_ADV_INVINCIBILITY, kAdvancedFields, fields::Invicibitlity),
    Bind(IDC_ADV_MUTE_SPECTATORS, kAdvancedFields, fields::MuteSpectators),
    Bind(IDC_ADV_SHOW_ENEMY_NAMES, kAdvancedFields, fields::ShowEnemyNames),
    Bind(IDC_ADV_PUNKBUSTER, kAdvancedFields, fields::EnablePunkBuster),
    Bind(IDC_ADV_INACTIVE_SPECTATE, kAdvancedFields, fields::InactiveSpectate),
    Bind(IDC_ADV_INFO_THRESHOLD, kAdvancedFields, fields::InfoThreshold),
    Bind(IDC_ADV_STAT_THRESHOLD, kAdvancedFields, fields::StatThreshold),
    Bind(IDC_ADV_BLEED_TO_DEATH, kAdvancedFields, fields::BleedToDeath),
    Bind(IDC_ADV_DISABLE_BLEEDING, kAdvancedFields, fields::DisableBleeding),
    Bind(IDC_ADV_ONLINE_STATS, kAdvancedFields, fields::OnlineStatTracking),
    Bind(IDC_ADV_MAX_RAG_DOLLS, kAdvancedFields, fields::MaxRagDolls),
    Bind(IDC_ADV_DM_SPEED_MULTIPLIER, kAdvancedFields, fields::DMSpeedMultiplier),
    BindCaption(IDC_ADV_RETREAT_GROUP, kAdvancedFields, IDS_RETREATING_OPTIONS),
    Bind(IDC_ADV_RETREAT_ENABLE, kAdvancedFields, fields::RetreatEnable),
    Bind(IDC_ADV_RETREAT_SPAWN_COST, kAdvancedFields, fields::RetreatSpawnCost),
    Bind(IDC_ADV_RETREAT_RESPAWN, kAdvancedFields, fields::RetreatRespawn),
    Bind(IDC_ADV_RETREAT_DELAY, kAdvancedFields, fields::RetreatDelay),
    Bind(IDC_ADV_RETREAT_TIME, kAdvancedFields, fields::RetreatTime),
    Bind(IDC_ADV_PURE, kAdvancedFields, fields::Pure),
};

// InvertObjectiveNumbers belongs to this section's file but is edited on
// the Team page.
inline constexpr PageControl kAdvanced2Controls[] = {
    Bind(IDC_ADV2_AIM_ASSIST_ZOOM, kAdvanced2Fields, fields::AimAssistZoom),
    Bind(IDC_ADV2_AIM_ASSIST_ZOOM_TIME, kAdvanced2Fields, fields::AimAssistZoomTime),
    Bind(IDC_ADV2_FFA_ALLIED_PISTOL, kAdvanced2Fields, fields::FFAAlliedPistol),
    Bind(IDC_ADV2_ATTACKER_ADVANCE_DELAY, kAdvanced2Fields, fields::AttackerAdvanceDelay),
    Bind(IDC_ADV2_FFA_MAX_HEALTH, kAdvanced2Fields, fields::FFAMaxHealth),
    Bind(IDC_ADV2_LARGE_PLAYER_COUNT, kAdvanced2Fields, fields::LargePlayerCount),
    Bind(IDC_ADV2_POST_ROUND_WAIT_TIME, kAdvanced2Fields, fields::PostRoundWaitTime),
    Bind(IDC_ADV2_USE_HAG_INITIAL_BULLETS, kAdvanced2Fields, fields::UseHagInitialBulletCount),
    Bind(IDC_ADV2_ABLE_GROUP_NAME, kAdvanced2Fields, fields::AbleGroupName),
    Bind(IDC_ADV2_BAKER_GROUP_NAME, kAdvanced2Fields, fields::BakerGroupName),
    Bind(IDC_ADV2_SECONDS_LEFT_IN_MATCH, kAdvanced2Fields, fields::SecondsLeftInMatch),
    Bind(IDC_ADV2_WAIT_FOR_TRANSITION, kAdvanced2Fields, fields::WaitForTransitionFlag),
    Bind(IDC_ADV2_INCAPACITATED_MAX_HEALTH, kAdvanced2Fields, fields::IncapacitatedMaxHealth),
    Bind(IDC_ADV2_EFFECTS_CONTROLLER, kAdvanced2Fields, fields::EffectsController),
};

// Peace Warm-Up is written to server.cfg like every other Team switch, so
// the page lets the operator change it, next to Do Warm-Up.
inline constexpr PageControl kTeamControls[] = {
    Bind(IDC_TEAM_KILL_WARNING, kTeamFields, fields::TeamKillWarning),
    Bind(IDC_TEAM_DISABLE_CLASSES, kTeamFields, fields::DisableClasses),
    Bind(IDC_TEAM_KILL_KICK, kTeamFields, fields::TeamKillKick),
    Bind(IDC_TEAM_KICK_DURATION, kTeamFields, fields::KickDuration),
    Bind(IDC_TEAM_INACTIVE_KICK, kTeamFields, fields::InactiveKick),
    Bind(IDC_TEAM_WARMUP_INTERVAL, kTeamFields, fields::WarmUpInterval),
    Bind(IDC_TEAM_RESPAWN_INTERVAL, kTeamFields, fields::RespawnInterval),
    Bind(IDC_TEAM_VOTE_MAJORITY, kTeamFields, fields::VoteMajority),
    Bind(IDC_TEAM_BODY_TIME_MAX, kTeamFields, fields::BodyTimeMax),
    Bind(IDC_TEAM_BODY_TIME_MIN, kTeamFields, fields::BodyTimeMin),
    Bind(IDC_TEAM_CORPSMAN_ATTENTION_DIST, kTeamFields, fields::CorpsmanAttentionDist),
    Bind(IDC_TEAM_CORPSMAN_HEAL_AMOUNT, kTeamFields, fields::CorpsmanHealAmount),
    Bind(IDC_TEAM_CORPSMAN_HEAL_TIME, kTeamFields, fields::CorpsmanHealTime),
    Bind(IDC_TEAM_CORPSMAN_MAX_MORPHINE, kTeamFields, fields::CorpsmanMaxMorphine),
    Bind(IDC_TEAM_ENABLE_VOTING, kTeamFields, fields::EnableVoting),
    Bind(IDC_TEAM_DO_WARMUP, kTeamFields, fields::DoWarmup),
    Bind(IDC_TEAM_PEACE_WARMUP, kTeamFields, fields::PeaceWarmup),
    Bind(IDC_TEAM_ENG_DISARM_SPEEDUP, kTeamFields, fields::EngineerDisarmExplSpeedup),
    Bind(IDC_TEAM_ENG_MAX_EXPLOSIVES, kTeamFields, fields::EngineerMaxExplosives),
    Bind(IDC_TEAM_CORPSMAN_MAX_SULFA, kTeamFields, fields::CorpsmanMaxSulfa),
    Bind(IDC_TEAM_CORPSMAN_REVIVE_TIME, kTeamFields, fields::CorpsmanReviveTime),
    Bind(IDC_TEAM_ENG_PLANT_SPEEDUP, kTeamFields, fields::EngineerPlantExplSpeedup),
    Bind(IDC_TEAM_PLAYER_SPAWN, kTeamFields, fields::PlayerSpawn),
    Bind(IDC_TEAM_INVERT_OBJECTIVES, kTeamFields, fields::InvertObjectiveNumbers),
    Bind(IDC_TEAM_KILL_WARNINGS, kTeamFields, fields::TeamKillWarnings),
    Bind(IDC_TEAM_AUTO_BALANCE, kTeamFields, fields::AutoBalance),
};

// Every number here is signed and never blanked: -1 shows as -1.
inline constexpr PageControl kLimitsControls[] = {
    Bind(IDC_LIMITS_INFANTRY, kLimitsFields, fields::InfantryLimit),
    Bind(IDC_LIMITS_CORPSMAN, kLimitsFields, fields::CorpsmanLimit),
    Bind(IDC_LIMITS_ENGINEER, kLimitsFields, fields::EngineerLimit),
    Bind(IDC_LIMITS_AMMO_TECH, kLimitsFields, fields::AmmoTechLimit),
    Bind(IDC_LIMITS_CLOSE_RANGE, kLimitsFields, fields::CloseRangeLimit),
    Bind(IDC_LIMITS_RIFLES, kLimitsFields, fields::RiflesLimit),
    Bind(IDC_LIMITS_SMGS, kLimitsFields, fields::SubMachineGunsLimit),
    Bind(IDC_LIMITS_MGS, kLimitsFields, fields::MachineGunsLimit),
    Bind(IDC_LIMITS_SNIPER_RIFLES, kLimitsFields, fields::SniperRiflesLimit),
    Bind(IDC_LIMITS_CONNECTION, kLimitsFields, fields::ConnectionRestriction),
    Bind(IDC_LIMITS_SPAWN_POOL, kLimitsFields, fields::SpawnPoolSizeRestriction),
    Bind(IDC_LIMITS_KICK, kLimitsFields, fields::KickRestriction),
    Bind(IDC_LIMITS_MIN_TEAM_BONUS, kLimitsFields, fields::MinTeamBonus),
    Bind(IDC_LIMITS_MAX_TEAM_BONUS, kLimitsFields, fields::MaxTeamBonus),
    Bind(IDC_LIMITS_MIN_KILLS, kLimitsFields, fields::MinKills),
    Bind(IDC_LIMITS_MAX_KILLS, kLimitsFields, fields::MaxKills),
    Bind(IDC_LIMITS_MIN_TEAM_ONLINE, kLimitsFields, fields::MinTeamOnline),
    Bind(IDC_LIMITS_MAX_TEAM_ONLINE, kLimitsFields, fields::MaxTeamOnline),
    BindCaption(IDC_LIMITS_CLASS_GROUP, kLimitsFields, IDS_CLASS_LIMITATIONS),
    BindCaption(IDC_LIMITS_RESTRICTIONS_GROUP, kLimitsFields, IDS_RESTRICTIONS),
    Bind(IDC_LIMITS_ALLIED_FRAGS, kLimitsFields, fields::AlliedFrags),
    Bind(IDC_LIMITS_AXIS_FRAGS, kLimitsFields, fields::AxisFrags),
    Bind(IDC_LIMITS_ALLOW_ALL_SKINS, kLimitsFields, fields::AllowAllSkins),
};

// The eight ammunition counts are optional: blank (-1) leaves the server's
// own value in force.
inline constexpr PageControl kWeaponsControls[] = {
    Bind(IDC_WEAPONS_AMMO_BOXES_INIT, kWeaponsFields, fields::AmmoBoxesCountInit),
    Bind(IDC_WEAPONS_AMMO_BOXES_MAX, kWeaponsFields, fields::AmmoBoxesCountMax),
    Bind(IDC_WEAPONS_ARTILLERY_AMMO_TIME, kWeaponsFields, fields::ArtilleryAmmoTime),
    Bind(IDC_WEAPONS_ARTILLERY_INTERNAL_AMMO, kWeaponsFields, fields::ArtilleryInternalAmmo),
    Bind(IDC_WEAPONS_MG_AMMO_TIME, kWeaponsFields, fields::MGAmmoTime),
    Bind(IDC_WEAPONS_MG_INTERNAL_AMMO, kWeaponsFields, fields::MGInternalAmmo),
    Bind(IDC_WEAPONS_PISTOL_AMMO_INIT, kWeaponsFields, fields::PistolAmmoInit),
    Bind(IDC_WEAPONS_PISTOL_AMMO_MAX, kWeaponsFields, fields::PistolAmmoMax),
    Bind(IDC_WEAPONS_MG_COOL_RATE, kWeaponsFields, fields::MGCoolRate),
    Bind(IDC_WEAPONS_MG_HEAT_RATE, kWeaponsFields, fields::MGHeatRate),
    Bind(IDC_WEAPONS_MG_JAM_TIME, kWeaponsFields, fields::MGJamTime),
    Bind(IDC_WEAPONS_MG_MAX_HEALTH, kWeaponsFields, fields::MGMaxHealth),
    Bind(IDC_WEAPONS_MG_SUPPLY_COUNT, kWeaponsFields, fields::MGSupplyCount),
    Bind(IDC_WEAPONS_MG_SUPPLY_MAX, kWeaponsFields, fields::MGSupplyMaxCount),
    Bind(IDC_WEAPONS_MG_SUPPLY_SIZE, kWeaponsFields, fields::MGSupplySize),
    Bind(IDC_WEAPONS_MG_USER_DISTANCE, kWeaponsFields, fields::MGUserDistance),
    Bind(IDC_WEAPONS_RIFLE_AMMO_INIT, kWeaponsFields, fields::RifleAmmoInit),
    Bind(IDC_WEAPONS_RIFLE_AMMO_MAX, kWeaponsFields, fields::RifleAmmoMax),
    Bind(IDC_WEAPONS_SMG_AMMO_INIT, kWeaponsFields, fields::SMGAmmoInit),
    Bind(IDC_WEAPONS_SMG_AMMO_MAX, kWeaponsFields, fields::SMGAmmoMax),
    Bind(IDC_WEAPONS_CORNUCOPIA_AMMO, kWeaponsFields, fields::CornucopiaAmmo),
    Bind(IDC_WEAPONS_FULL_RESTOCK_AMMO, kWeaponsFields, fields::FullRestockAmmo),
    Bind(IDC_WEAPONS_VIEW_KICK, kWeaponsFields, fields::ViewKickMultiplier),
    Bind(IDC_WEAPONS_CLIENT_TRACER, kWeaponsFields, fields::ClientTracer),
};

// The six initial and maximum counts are optional; float boxes are never
// blanked, so LandmineDefuseTime's -1 shows as -1.000000.
inline constexpr PageControl kExplosivesControls[] = {
    Bind(IDC_EXPL_ARTILLERY_MAX_HEALTH, kExplosivesFields, fields::ArtilleryMaxHealth),
    Bind(IDC_EXPL_ARTILLERY_SUPPORT_COUNT, kExplosivesFields, fields::ArtillerySupportCount),
    Bind(IDC_EXPL_ARTILLERY_SUPPLY_MAX, kExplosivesFields, fields::ArtillerySupplyMaxCount),
    Bind(IDC_EXPL_ARTILLERY_SUPPLY_SIZE, kExplosivesFields, fields::ArtillerySupplySize),
    Bind(IDC_EXPL_ARM_TIME, kExplosivesFields, fields::ExplosivesArmTime),
    Bind(IDC_EXPL_DAMAGE, kExplosivesFields, fields::ExplosivesDamage),
    Bind(IDC_EXPL_DISARM_TIME, kExplosivesFields, fields::ExplosivesDisarmTime),
    Bind(IDC_EXPL_FUSE_TIME, kExplosivesFields, fields::ExplosivesFuseTime),
    Bind(IDC_EXPL_RADIUS, kExplosivesFields, fields::ExplosivesRadius),
    Bind(IDC_EXPL_GRENADES_INIT, kExplosivesFields, fields::GrenadeCountInit),
    Bind(IDC_EXPL_GRENADES_MAX, kExplosivesFields, fields::GrenadeCountMax),
    Bind(IDC_EXPL_LANDMINE_DEFUSE_TIME, kExplosivesFields, fields::LandmineDefuseTime),
    Bind(IDC_EXPL_LANDMINE_DEFUSE_TIME_ENG, kExplosivesFields, fields::LandmineDefuseTimeEngineer),
    Bind(IDC_EXPL_LANDMINE_MAX_SPOT_DIST, kExplosivesFields, fields::LandmineMaxSpotDistance),
    Bind(IDC_EXPL_LANDMINE_SPOT_CROUCH, kExplosivesFields, fields::LandmineSpotMultCrouch),
    Bind(IDC_EXPL_LANDMINE_SPOT_PRONE, kExplosivesFields, fields::LandmineSpotMultProne),
    Bind(IDC_EXPL_LANDMINE_SPOT_STAND, kExplosivesFields, fields::LandmineSpotMultStand),
    Bind(IDC_EXPL_LANDMINE_NARROWNESS, kExplosivesFields, fields::LandmineSpottingNarrowness),
    Bind(IDC_EXPL_LANDMINES_INIT, kExplosivesFields, fields::LandminesCountInit),
    Bind(IDC_EXPL_LANDMINES_MAX, kExplosivesFields, fields::LandminesCountMax),
    Bind(IDC_EXPL_SATCHELS_INIT, kExplosivesFields, fields::SatchelChargesCountInit),
    Bind(IDC_EXPL_SATCHELS_MAX, kExplosivesFields, fields::SatchelChargesCountMax),
    Bind(IDC_EXPL_ALLOW_GRENADES, kExplosivesFields, fields::GrenadesAllowed),
    Bind(IDC_EXPL_ALLOW_LANDMINES, kExplosivesFields, fields::LandminesAllowed),
    Bind(IDC_EXPL_ALLOW_SATCHELS, kExplosivesFields, fields::SatchelChargesAllowed),
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
