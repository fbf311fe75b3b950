// server.cfg: its entries as tables, walked by the section writers, and the
// Save sequence.
#include "core/servercfg/config_writer.h"
#include "core/servercfg/config_tables.h"
#include "core/servercfg/save_configuration.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "core/usedmods/used_mods.h"
#include "platform/platform.h"
#include "core/settings/flagged_list.h"
#include "core/settings/server_settings.h"
#include "core/settings/settings_file.h"
#include "core/common/notice.h"
#include "core/common/number_text.h"
#include "core/common/ui_text.h"
#include "core/common/server_places.h"

using namespace servercfg;

namespace {

#define CHOICES(table) Choices{table, sizeof(table) / sizeof(table[0])}

// Game type index to the server's number; also the prefix of each map of
// the rotation.
const char* const kGameTypeNumbers[] = {"1", "2", "6"};
const char* const kHealRates[] = {"0", "5", "10", "20"};
const char* const kRunSpeeds[] = {"230", "267"};
const char* const kSpawnMethods[] = {nullptr,   "random",  "farthest",  "team",         "notvisible",
                                     "closest", "group",   "notfacing", "bufferedclose"};
const char* const kAutoBalanceModes[] = {"0", "1", "3"};
const char* const kSkinLines[] = {
    nullptr,
    "set sv_allowed_allied_skins \"all\"\n"
    "set sv_allowed_axis_skins \"all\"\n",
    "set sv_allowed_allied_skins \"allied_marine1_MP allied_marine2_MP allied_marine3_MP allied_marine4_MP\"\n"
    "set sv_allowed_axis_skins \"axis_marineofficer_MP axis_marinenco_MP axis_marineinfantry_MP "
    "axis_marinegilly_MP\"\n",
};

const ConfigEntry kBasicEntries[] = {
    {"// Server Name\n// Name that will appear on the server browser\n",
     "sv_hostname \"%s\"\n", fields::ServerName, Rule::Plain},
    {"\n// Password\n// Allows you to set a password for the server\n",
     "set password \"%s\"\n", fields::ServerPassword, Rule::Plain},
    {"\n// Max Players\n",
     "set sv_maxclients %d\n", fields::MaxPlayers, Rule::Plain},
    {"\n// Time Limit\n// This sets the elapsed time at which the game ends, the winner being the player with the highest score at that time.\n",
     "set timelimit %d\n", fields::TimeLimit, Rule::Plain},
    {"\n// Frag Limit\n// The score at which the player or team will win the current map\n",
     "set fraglimit %d\n", fields::FragLimit, Rule::Plain},
    {"\n// Welcome message\n// Will show up on the client when they join the server\n",
     "set g_motd \"%s\"\n", fields::WelcomeMessage, Rule::Plain},
    {"\n// Game Type\n// 1 Free for All\n// 2 TeamDeathMatch\n// 6 Invader\n",
     "set g_gametype %s\n", fields::GameType, Rule::Choice, CHOICES(kGameTypeNumbers)},
    {"\n// Heal Rate\n// Determines how fast players heal when they use a health pickup\n",
     "set g_healrate %s\n", fields::HealRate, Rule::Choice, CHOICES(kHealRates)},
    {"\n// Health Drop\n// When enabled players will drop a health pack when killed\n",
     "set g_healthdrop %d\n", fields::HealthDrop, Rule::HealthDrop},
    {"\n// Backpack Drop\n// When enabled players will drop their backpack when killed\n",
     "set dm_classesDeathDropBackpack %d\n", fields::BackpackDrop, Rule::Plain},
    {"\n// Weapon Drop\n// When enabled players will drop their weapon when killed\n",
     "set dm_deathDropWeapon %d\n", fields::WeaponDrop, Rule::Plain},
    {"\n// Realism\n// Toggles reaslistic mode\n",
     "set g_realismmode %d\n", fields::RealisticMode, Rule::Plain},
    {"\n// Fast Run Speed\n// When checked, the speed at which players can run through levels is increased. \n// Leaving it unchecked defaults to Orvane's original run speed\n",
     "set sv_runspeed %s\n", fields::FastRunSpeed, Rule::Choice, CHOICES(kRunSpeeds)},
    {"\n// Team Damage\n// Toggles friendly fire\n",
     "set dm_teamdamage %d\n", fields::FriendlyFire, Rule::Plain},
    {"\n// Infinite Ammo\n// Toggles the unlimited ammo setting\n",
     "set g_unlimitedammo %d\n", fields::InfiniteAmmo, Rule::Plain},
    {"\n// GameSpy\n// When set to one, creates a community server available through GameSpy\n",
     "set sv_communitypublic %d\n", fields::GameSpy, Rule::Plain},
};

const ConfigEntry kAdvancedEntries[] = {
    {"\n// Additional Settings\n// An editable field where you can write out custom options.\n",
     "%s\n", fields::AdditionalOptions, Rule::Plain},
    {"\n// Inactive Spectate\n// This sets the time in seconds after which an inactive player becomes a spectator. To save server bandwidth, 60 seconds is default.\n",
     "set g_inactivespectate %d\n", fields::InactiveSpectate, Rule::Plain},
    {"\n// Map duration\n// This sets the amount of play time on this map.\n",
     "set g_tempmaptime %d\n", fields::MapDuration, Rule::Plain},
    {"\n// Spawn delay\n// This sets how long it'll take foir the players to spawn.\n",
     "g_respawn_time %f\n", fields::SpawnDelay, Rule::Plain},
    {"\n// Invulnerable Time\n// Amount of time a player is invulnerable for after spawning\n",
     "set sv_invulnerabletime %d\n", fields::Invicibitlity, Rule::Plain},
    {"\n// INFO Threshold\n// If >0 then limits amount of server INFO packets to send out per second\n",
     "set dm_infoThreshhold %d\n", fields::InfoThreshold, Rule::Plain},
    {"\n// STATUS Threshold\n// If >0 then limits amount of server STATUS packets to send out per second\n",
     "set dm_statusThreshhold %d\n", fields::StatThreshold, Rule::Plain},
    {"\n// Max Rag Dolls\n// The number of bodies that will use the rag doll physics\n",
     "set dm_maxragdolls %d\n", fields::MaxRagDolls, Rule::Plain},
    {"\n// DM Speed Mult\n// How much faster than single player the multiplayer players run\n",
     "set sv_dmspeedmult %f\n", fields::DMSpeedMultiplier, Rule::Plain},
    {"\n// Mute Spectators\n// Prevents spectators from joining in the chat\n",
     "set g_spectate_allow_full_chat %d\n", fields::MuteSpectators, Rule::Inverted},
    {"\n// Enable Punkbuster\n// Turns on punkbuster requirements for the server\n",
     "set punkbuster %d\n", fields::EnablePunkBuster, Rule::Plain},
    {"\n// Show Enemy Names\n// Show the names of the enemies when your looking at them\n",
     "set g_showlookat %d\n", fields::ShowEnemyNames, Rule::Plain},
    {"\n// Bleed To Death\n// Allow the players to bleed to deathy when the take aggrivated wounds\n",
     "set dm_bleedtodeath %d\n", fields::BleedToDeath, Rule::Plain},
    {"\n// Disable Bleeding \n// Show the bleeding of the players in multiplayer\n",
     "set sv_disablebleeding %d\n", fields::DisableBleeding, Rule::Plain},
    {"\n// Online Stat Tracking\n// Connects to the stats tracking server to track your games\n",
     "set sv_communitystats %d\n", fields::OnlineStatTracking, Rule::Plain},
    {"\n// Enable retreating\n// Indicates if the server supports the defender fall back function\n",
     "set g_retreat_enable %d\n", fields::RetreatEnable, Rule::Plain},
    {"\n// Retreat respawn\n// If true respawn defenders with full weapons/ammo/health\n",
     "set g_retreat_respawn %d\n", fields::RetreatRespawn, Rule::Plain},
    {"\n// Retreat cost\n// If true then accepting retreat use icon costs defenders a spawn\n",
     "set g_retreat_cost %d\n", fields::RetreatSpawnCost, Rule::Plain},
    {"\n// Retreat time\n// How long the retreat use icon will remain after an objective is lost\n",
     "set g_retreat_time %f\n", fields::RetreatTime, Rule::Plain},
    {"\n// Retreat Delay\n// How long after hitting use icon that the player actually retreats\n",
     "set g_retreat_delay %f\n", fields::RetreatDelay, Rule::Plain},
    {"\n// Pure\n// When set to 1, the client and server must match. This is pure\n",
     "set sv_pure %d\n", fields::Pure, Rule::Plain},
};

const ConfigEntry kAdvanced2Entries[] = {
    {"\n// Able Group Name\n// The name of the \"able\" group\n",
     "set sv_ablegroupname \"%s\"\n", fields::AbleGroupName, Rule::Plain},
    {"\n// Baker Group Name\n// The name of the \"baker\" group\n",
     "set sv_bakergroupname \"%s\"\n", fields::BakerGroupName, Rule::Plain},
    {"\n// Attacker Advance Delay\n// Stalls the attac king advance at the beggining of the match\n",
     "set dm_attackerAdvanceDelay %f\n", fields::AttackerAdvanceDelay, Rule::Plain},
    {"\n// Effects Controller\n// A \"1\" in this field indicates that all ambience is on, and a \"0\" indicates ambience\n"
         "// is off and bandwidth is conserved.\n",
     "set dm_effectscontroller %d\n", fields::EffectsController, Rule::Plain},
    {"\n// Aim assist zoom\n// The amount of zoom on an aim assist\n",
     "set dm_aimassistZoom %d\n", fields::AimAssistZoom, Rule::Plain},
    {"\n// Aim assist zoom time\n// The delay before it the aim assist activates\n",
     "set dm_aimassistZoomTime %f\n", fields::AimAssistZoomTime, Rule::Plain},
    {"\n// FFA Allied Pistol\n// Free For All Allied pistol setting\n",
     "set dm_ffaAlliedPistol %d\n", fields::FFAAlliedPistol, Rule::Optional},
    {"\n// FFA Max Health\n// Free For All health cap\n",
     "set dm_ffaMaxHealth %d\n", fields::FFAMaxHealth, Rule::Plain},
    {"\n// Large Player Count\n// The large players setting\n",
     "set dm_largePlayerCount %d\n", fields::LargePlayerCount, Rule::Plain},
    {"\n// Post Round Wait Time\n// Number of seconds to wait after round ends\n",
     "set dm_postroundwaittime %f\n", fields::PostRoundWaitTime, Rule::Plain},
    {"\n// Use Hag Initial Bullet Count\n// If zero then use dm_*_ammo_init cvars instead of HAGs to determine initial weapon loads\n",
     "set dm_useHagInitialBulletCount %d\n", fields::UseHagInitialBulletCount, Rule::Plain},
    {"\n// Seconds Left In Match \n// Sets the countdown seconds for the match\n",
     "set dm_secondsLeftInMatch %d\n", fields::SecondsLeftInMatch, Rule::Plain},
    {"\n// Wait For Transition Flag\n// The delay when waiting for the transition flag\n",
     "set dm_waitfortransitionflag %d\n", fields::WaitForTransitionFlag, Rule::Plain},
    {"\n// Incapacitated Max Health\n// The maximum amount of health allowable when incapacitated\n",
     "set dm_incapacitatedMaxHealth %f\n", fields::IncapacitatedMaxHealth, Rule::Plain},
};

const ConfigEntry kTeamEntries[] = {
    {"\n// Team Kill Warning\n// Warning message sent to the player for team killing\n",
     "set g_teamkillwarn_message \"%s\"\n", fields::TeamKillWarning, Rule::Plain},
    {"\n// Team Kill Warnings\n// Number of warnings before being banned\n",
     "set g_teamkillwarn \"%d\"\n", fields::TeamKillWarnings, Rule::Plain},
    {"\n// Team Kill Kick\n// Amount of team kills before the player is kicked off the server.\n",
     "set g_teamkillkick %d\n", fields::TeamKillKick, Rule::Plain},
    {"\n// Kick Duration\n// The amount of time before a team killer is allowed back onto the server\n",
     "set g_teamkillbanduration %d\n", fields::KickDuration, Rule::Plain},
    {"\n// Inactive Kick\n// This sets the time in seconds after which an inactive player is kicked out of the game. 900 (15 minutes) seconds is default.\n",
     "set g_inactivekick %d\n", fields::InactiveKick, Rule::Plain},
    {"\n// Warm-Up Interval\n// the amount of time spent in the warm-up mode\n",
     "set g_warmup %d\n", fields::WarmUpInterval, Rule::Plain},
    {"\n// Respawn Interval\n// Delay before the player respawns\n",
     "set g_respawn_time %d\n", fields::RespawnInterval, Rule::Plain},
    {"\n// Vote Majority\n// Sets the majority required for a vote to pass\n",
     "set dm_votemajority %d\n", fields::VoteMajority, Rule::Plain},
    {"\n// Body Time Max\n// The maximum amount of time to rag doll a body\n",
     "set dm_bodytime_max %f\n", fields::BodyTimeMax, Rule::Plain},
    {"\n// Body Time Min\n// The minimum amount of time to rag doll a body\n",
     "set dm_bodytime_min %f\n", fields::BodyTimeMin, Rule::Plain},
    {"\n// Corpsman Attention Dist\n// The distance before the corpsman attention is enabled\n",
     "set dm_corpsmanAttentionDist %d\n", fields::CorpsmanAttentionDist, Rule::Plain},
    {"\n// Corpsman Heal Amount\n// The healing power of the corpsman\n",
     "set dm_corpsmanHealAmount %d\n", fields::CorpsmanHealAmount, Rule::Plain},
    {"\n// Corpsman Heal Time\n// the time it takes for the corpsman to heal\n",
     "set dm_corpsmanHealTime %f\n", fields::CorpsmanHealTime, Rule::Plain},
    {"\n// Corpsman Max Morphine\n// The maximum amount of morphine the corpsman can carry\n",
     "set dm_corpsmanMaxMorphine %d\n", fields::CorpsmanMaxMorphine, Rule::Plain},
    {"\n// Corpsman Max Sulfa\n// The maximum amount of sulfa the corpsman can carry\n",
     "set dm_corpsmanMaxSulfa %d\n", fields::CorpsmanMaxSulfa, Rule::Plain},
    {"\n// Corpsman Revive Time\n// The delay before the corpsman can revive\n",
     "set dm_corpsmanReviveTime %f\n", fields::CorpsmanReviveTime, Rule::Plain},
    {"\n// Engineer Disarm Expl Speedup\n// SpeedUp for the engineer to disarm explosives\n",
     "set dm_engineerDisarmExplSpeedup %f\n", fields::EngineerDisarmExplSpeedup, Rule::Plain},
    {"\n// Engineer Max Explosives\n// The maximum number of explosives the engineer can carry\n",
     "set dm_engineerMaxExplosives %d\n", fields::EngineerMaxExplosives, Rule::Plain},
    {"\n// Engineer Plant Expl Speedup\n// SpeedUp for the engineer to plant explosives\n",
     "set dm_engineerPlantExplSpeedup %f\n", fields::EngineerPlantExplSpeedup, Rule::Plain},
    {"\n// Player Spawn Method\n// Spawn hueristics\n",
     "set dm_playerspawn_method \"%s\"\n", fields::PlayerSpawn, Rule::Choice, CHOICES(kSpawnMethods)},
    {"\n// Auto Balance\n// Auto balances the teams\n"
         "//    0        - normal\n"
         "//    1        - force you when you enter the game\n"
         "//    3        - force you when you die (balancing if people leave the server mid game)\n",
     "set g_teamautobalance %s\n", fields::AutoBalance, Rule::Choice, CHOICES(kAutoBalanceModes)},
    {"\n// Disable classes in Team Deathmatch\n",
     "set dm_combatclassesenabled %d\n", fields::DisableClasses, Rule::Inverted},
    {"\n// Enable voting in games\n",
     "set g_allowvote %d\n", fields::EnableVoting, Rule::Plain},
    {"\n// Do Warmup\n// If zero there won't be a warmup infront of invader games\n",
     "set g_doWarmup %d\n", fields::DoWarmup, Rule::Plain},
    {"\n// Peace Warmup\n// If zero them players can kill each other durring warmup\n",
     "set g_peace_warmup %d\n", fields::PeaceWarmup, Rule::Plain},
    {"\n// Invert Objective Numbers\n",
     "set g_invobjno %d\n", fields::InvertObjectiveNumbers, Rule::Plain},
};

const ConfigEntry kLimitsEntries[] = {
    {"\n// Infantry Limits\n",
     "set sv_restrict_infantry %d\n", fields::InfantryLimit, Rule::Plain},
    {"\n// Corpsman Limits\n",
     "set sv_restrict_corpsman %d\n", fields::CorpsmanLimit, Rule::Plain},
    {"\n// Engineer Limits\n",
     "set sv_restrict_engineer %d\n", fields::EngineerLimit, Rule::Plain},
    {"\n// Ammo Tech Limits\n",
     "set sv_restrict_ammotech %d\n", fields::AmmoTechLimit, Rule::Plain},
    {"\n// Close Range Limits\n",
     "set sv_restrict_closerange %d\n", fields::CloseRangeLimit, Rule::Plain},
    {"\n// Rifles Limits\n",
     "set sv_restrict_rifle %d\n", fields::RiflesLimit, Rule::Plain},
    {"\n// Sub Machine Guns Limits\n",
     "set sv_restrict_smg %d\n", fields::SubMachineGunsLimit, Rule::Plain},
    {"\n// Machine Guns Limits\n",
     "set sv_restrict_mg %d\n", fields::MachineGunsLimit, Rule::Plain},
    {"\n// Sniper Rifles Limits\n",
     "set sv_restrict_sniperrifle %d\n", fields::SniperRiflesLimit, Rule::Plain},
    {"\n// Connection Restriction\n// Limits the ping times to prevent the server from getting overburdened\n",
     "set sv_pingrestrict %d\n", fields::ConnectionRestriction, Rule::Plain},
    {"\n// Spawn Pool Size\n// Number of lives in spawnpool. If <=0 then it" "\x92"
         "s 6x number of players at start, otherwise it" "\x92" "s the multiple\n",
     "set g_spawnmultiple %d\n", fields::SpawnPoolSizeRestriction, Rule::Plain},
    {"\n// Kick Restrictions\n",
     "set sv_kickrestrict %d\n", fields::KickRestriction, Rule::Plain},
    {"\n// Min Team bonus\n",
     "set sv_minteambonus %d\n", fields::MinTeamBonus, Rule::Plain},
    {"\n// Max Team bonus\n",
     "set sv_maxteambonus %d\n", fields::MaxTeamBonus, Rule::Plain},
    {"\n// Min Kills\n",
     "set sv_minkills %d\n", fields::MinKills, Rule::Plain},
    {"\n// Max Kills\n",
     "set sv_maxkills %d\n", fields::MaxKills, Rule::Plain},
    {"\n// Min Team Online\n",
     "set sv_mintimeonline %d\n", fields::MinTeamOnline, Rule::Plain},
    {"\n// Max Team Online\n",
     "set sv_maxtimeonline %d\n", fields::MaxTeamOnline, Rule::Plain},
    {"\n// Allied Frags\n// The cap on the number of allied frags before the round is over\n",
     "set dm_alliesFrags %d\n", fields::AlliedFrags, Rule::Plain},
    {"\n// Axis Frags\n// The cap on the number of axis frags before the round is over\n",
     "set dm_axisFrags %d\n", fields::AxisFrags, Rule::Plain},
    {"\n// Allow all skins\n// All the hag files in models/characters/player/."
         "\n//\tDon't include the \".hag\" in this cvar. \"All\" means that any skin is allowed.\n",
     "%s", fields::AllowAllSkins, Rule::Choice, CHOICES(kSkinLines)},
};

const ConfigEntry kWeaponsEntries[] = {
    {"\n// Ammo Boxes Count Init\n// Initial amount  of ammo in the ammo boxes\n",
     "set dm_ammoboxes_count_init %d\n", fields::AmmoBoxesCountInit, Rule::Optional},
    {"\n// Ammo Boxes Count Max\n// Maximum amount of ammo found\n",
     "set dm_ammoboxes_count_max %d\n", fields::AmmoBoxesCountMax, Rule::Optional},
    {"\n// Artillery Ammo Time\n// The amount of time before the artillery ammo respawns\n",
     "set dm_artilleryAmmoTime %f\n", fields::ArtilleryAmmoTime, Rule::Plain},
    {"\n// Artillery Internal Ammo\n// The internal amount of ammo the artillery guns can hold\n",
     "set dm_artilleryInternalAmmo %d\n", fields::ArtilleryInternalAmmo, Rule::Plain},
    {"\n// MG Ammo Time\n// The amount of time before the MG ammo respawns\n",
     "set dm_mgAmmoTime %f\n", fields::MGAmmoTime, Rule::Plain},
    {"\n// MG Internal Ammo\n// The internal amount of ammo the MG guns can hold\n",
     "set dm_mgInternalAmmo %d\n", fields::MGInternalAmmo, Rule::Plain},
    {"\n// Pistol Ammo Init\n// Your initial pistol ammo\n",
     "set dm_pistol_ammo_init %d\n", fields::PistolAmmoInit, Rule::Optional},
    {"\n// Pistol Ammo Max\n// The maximum amount of ammo in a pistol\n",
     "set dm_pistol_ammo_max %d\n", fields::PistolAmmoMax, Rule::Optional},
    {"\n// Rifle Ammo Init\n// Your initial rifle ammo\n",
     "set dm_rifle_ammo_init %d\n", fields::RifleAmmoInit, Rule::Optional},
    {"\n// Rifle Ammo Max\n// he maximum amount of ammo in a rifle\n",
     "set dm_rifle_ammo_max %d\n", fields::RifleAmmoMax, Rule::Optional},
    {"\n// SMG Ammo Init\n// Your SMG pistol ammo\n",
     "set dm_smg_ammo_init %d\n", fields::SMGAmmoInit, Rule::Optional},
    {"\n// SMG Ammo Max\n// he maximum amount of ammo in a SMG\n",
     "set dm_smg_ammo_max %d\n", fields::SMGAmmoMax, Rule::Optional},
    {"\n// MG Cool Rate\n",
     "set dm_mgCoolRate %f\n", fields::MGCoolRate, Rule::Plain},
    {"\n// MG Heat Rate\n",
     "set dm_mgHeatRate %f\n", fields::MGHeatRate, Rule::Plain},
    {"\n// MG Jam Time\n",
     "set dm_mgJamTime %f\n", fields::MGJamTime, Rule::Plain},
    {"\n// MG Max Health\n",
     "set dm_mgMaxHealth %d\n", fields::MGMaxHealth, Rule::Plain},
    {"\n// MG Supply Count\n",
     "set dm_mgSupplyCount %d\n", fields::MGSupplyCount, Rule::Plain},
    {"\n// MG Supply Max Count\n",
     "set dm_mgSupplyMaxCount %d\n", fields::MGSupplyMaxCount, Rule::Plain},
    {"\n// MG Supply Size\n",
     "set dm_mgSupplySize %d\n", fields::MGSupplySize, Rule::Plain},
    {"\n// MG User Distance\n// The distance the user needs to be before operating the MG\n",
     "set dm_mgUserDistance %d\n", fields::MGUserDistance, Rule::Plain},
    {"\n// Cornucopia Ammo\n// if zero then ammoboxes only refill weapon in hand, not all weapons in inventory\n",
     "set dm_cornucopiaAmmo %d\n", fields::CornucopiaAmmo, Rule::Plain},
    {"\n// Full Restock Ammo\n// If zero then only a partial restock of ammo happens when running over ammoboxes\n",
     "set dm_fullRestockAmmo %d\n", fields::FullRestockAmmo, Rule::Plain},
    {"\n// ViewKickMultiplier\n// A value of 1.0 will make the kick in multiplayer the same as that in singleplayer.\n",
     "set dm_dmviewkickmult %f\n", fields::ViewKickMultiplier, Rule::Plain},
    {"\n// ClientTracer\n// When set to 0, all tracer and bullet poof information is transmitted in the traditional\n"
         "// way, over the wire, for each shot. This has a slightly higher degree of realism in some rare situations,\n"
         "// but normally should be avoided as it comes with a higher network cost. The default value of 2 grants more\n"
         "// network optimizations and is preferred. Although 1 is a valid option, it should never be used as it costs\n"
         "// even more than option 0 as far as performance, yet is less realistic than 0.\n",
     "set sv_clienttracer %d\n", fields::ClientTracer, Rule::Plain},
};

const ConfigEntry kExplosivesEntries[] = {
    {"\n// Artillery Max Health\n",
     "set dm_artilleryMaxHealth %d\n", fields::ArtilleryMaxHealth, Rule::Plain},
    {"\n// Artillery Support count\n",
     "set dm_artillerySupplyCount %d\n", fields::ArtillerySupportCount, Rule::Plain},
    {"\n// Artillery supply max count\n",
     "set dm_artillerySupplyMaxCount %d\n", fields::ArtillerySupplyMaxCount, Rule::Plain},
    {"\n// Artillery Supply Size\n",
     "set dm_artillerySupplySize %d\n", fields::ArtillerySupplySize, Rule::Plain},
    {"\n// Explosives Arm Time\n",
     "set dm_explosivesArmTime %f\n", fields::ExplosivesArmTime, Rule::Plain},
    {"\n// Explosives Damage\n\n",
     "set dm_explosivesDamage %d\n", fields::ExplosivesDamage, Rule::Plain},
    {"\n// Explosives Disarm Time\n",
     "set dm_explosivesDisarmTime %f\n", fields::ExplosivesDisarmTime, Rule::Plain},
    {"\n// Explosives Fuse Time\n",
     "set dm_explosivesFuseTime %f\n", fields::ExplosivesFuseTime, Rule::Plain},
    {"\n// Explosives Radius\n",
     "set dm_explosivesRadius %d\n", fields::ExplosivesRadius, Rule::Plain},
    {"\n// Grenade Count Init\n",
     "set dm_grenade_count_init %d\n", fields::GrenadeCountInit, Rule::Optional},
    {"\n// Grenade Count Max\n",
     "set dm_grenade_count_max %d\n", fields::GrenadeCountMax, Rule::Optional},
    {"\n// Landmine Defuse Time\n",
     "set dm_landmineDefuseTime %f\n", fields::LandmineDefuseTime, Rule::Plain},
    {"\n// Landmine Defuse Time Engineer\n",
     "set dm_landmineDefuseTimeEngineer %f\n", fields::LandmineDefuseTimeEngineer, Rule::Plain},
    {"\n// Landmine Max Spot Distance\n",
     "set dm_landmineMaxSpotDistance %d\n", fields::LandmineMaxSpotDistance, Rule::Plain},
    {"\n// Landmine Spot Mult Crouch\n",
     "set dm_landmineSpotMultCrouch %f\n", fields::LandmineSpotMultCrouch, Rule::Plain},
    {"\n// Landmine Spot Mult Prone\n",
     "set dm_landmineSpotMultProne %f\n", fields::LandmineSpotMultProne, Rule::Plain},
    {"\n// Landmine Spot Mult Stand\n",
     "set dm_landmineSpotMultStand %f\n", fields::LandmineSpotMultStand, Rule::Plain},
    {"\n// Landmine Spotting Narrowness\n",
     "set dm_landmineSpottingNarrowness %f\n", fields::LandmineSpottingNarrowness, Rule::Plain},
    {"\n// Landmines Count Init\n",
     "set dm_landmines_count_init %d\n", fields::LandminesCountInit, Rule::Optional},
    {"\n// Landmines Count Max\n",
     "set dm_landmines_count_max %d\n", fields::LandminesCountMax, Rule::Optional},
    {"\n// Satchelcharges Count Init\n",
     "set dm_satchelcharges_count_init %d\n", fields::SatchelChargesCountInit, Rule::Optional},
    {"\n// Satchelcharges Count Max\n",
     "set dm_satchelcharges_count_max %d\n", fields::SatchelChargesCountMax, Rule::Optional},
    {"\n// Grenades Allowed\n// If zero then no grenades handed out when game starts\n",
     "set dm_grenadesAllowed %d\n", fields::GrenadesAllowed, Rule::Plain},
    {"\n// Landmines Allowed\n// If zero then no landmines handed out when game starts\n",
     "set dm_landminesAllowed %d\n", fields::LandminesAllowed, Rule::Plain},
    {"\n// Satchel Charges Allowed\n// If zero then no satchel charges handed out when game starts\n",
     "set dm_satchelChargesAllowed %d\n", fields::SatchelChargesAllowed, Rule::Plain},
};

const DeathmatchFlag kDeathmatchFlags[] = {
    {"//    DF_NO_HEALTH          0x%x \n", 0x1, fields::NoHealth},
    {"//    DF_NO_POWERUPS        0x%x \n", 0x2, fields::NoPowerups},
    {"//    DF_WEAPONS_STAY       0x%x \n", 0x4, fields::WeaponStay},
    {"//    DF_NO_FALLING         0x%x \n", 0x8, fields::NoFallingDamage},
    {"//    DF_INSTANT_ITEMS      0x%x \n", 0x10, fields::InstantItems},
    {"//    DF_NO_ARMOR\t\t\t0x%x \n", 0x800, fields::NoArmor},
    {"//    DF_NO_FOOTSTEPS       0x%x \n", 0x20000, fields::NoFootsteps},
    {"//    DF_ALLOW_LEAN         0x%x \n", 0x40000, fields::AllowLean},
};

std::int32_t IntAt(const ServerSettings& settings, AnyField field) {
    return field.As<SettingKind::Int>().In(settings);
}
bool FlagAt(const ServerSettings& settings, AnyField field) {
    return field.As<SettingKind::Bool>().In(settings);
}

// A field's value as a value line shows it.
std::string Render(const char (&text)[kSettingsTextSize]) { return text; }
std::string Render(std::int32_t value) { return std::to_string(value); }
std::string Render(float value) { return FormatFloatText(value); }
std::string Render(bool value) { return value ? "1" : "0"; }

std::string RenderField(const ServerSettings& settings, AnyField field) {
    return VisitField(settings, field, [](const auto& value) { return Render(value); });
}

}  // namespace

namespace servercfg {

// Appends `format` with its one conversion replaced by `value`. Texts go in
// verbatim, whatever their length.
void AppendLine(std::string& out, const char* format, const std::string& value) {
    const char* p = format;
    for (; *p; ++p) {
        if (p[0] == '%' && (p[1] == 'd' || p[1] == 'f' || p[1] == 's' || p[1] == 'x')) {
            out.append(format, p);
            out += value;
            out += p + 2;
            return;
        }
    }
    out += format;
}

void WriteEntry(std::string& out, const ServerSettings& settings, const ConfigEntry& entry) {
    out += entry.comment;
    switch (entry.rule) {
        case Rule::Plain:
            AppendLine(out, entry.line, RenderField(settings, entry.field));
            break;
        case Rule::Inverted:
            AppendLine(out, entry.line, FlagAt(settings, entry.field) ? "0" : "1");
            break;
        case Rule::Optional:
            if (IntAt(settings, entry.field) >= 0) AppendLine(out, entry.line, RenderField(settings, entry.field));
            break;
        case Rule::Choice: {
            std::int64_t index = entry.field.kind == SettingKind::Bool ? (FlagAt(settings, entry.field) ? 1 : 0)
                                                                     : IntAt(settings, entry.field);
            if (index >= 0 && static_cast<std::uint64_t>(index) < entry.choices.count &&
                entry.choices.texts[index] != nullptr) {
                AppendLine(out, entry.line, entry.choices.texts[index]);
            }
            break;
        }
        case Rule::HealthDrop: {
            AppendLine(out, WritesClassesHealthDrop(settings) ? kClassesHealthDropLine : entry.line,
                       RenderField(settings, entry.field));
            break;
        }
    }
}

bool WritesClassesHealthDrop(const ServerSettings& settings) {
    return settings.GameType != 0 && settings.DisableClasses;
}

const char* GameTypePrefix(std::int32_t gameType) {
    const std::size_t count = sizeof kGameTypeNumbers / sizeof kGameTypeNumbers[0];
    return gameType >= 0 && static_cast<std::size_t>(gameType) < count ? kGameTypeNumbers[gameType] : nullptr;
}

SectionList ServerConfigSections() {
#define ROWS(entries) Section{SectionKind::Entries, EntryTable{entries, sizeof(entries) / sizeof(entries[0])}}
    static constexpr Section sections[] = {
        ROWS(kBasicEntries),  ROWS(kAdvancedEntries), ROWS(kAdvanced2Entries), ROWS(kTeamEntries),
        ROWS(kLimitsEntries), Section{SectionKind::MapLines, {}},
        ROWS(kWeaponsEntries), ROWS(kExplosivesEntries),
        Section{SectionKind::DeathmatchFlags, {}},
    };
#undef ROWS
    return SectionList{sections, sizeof sections / sizeof sections[0]};
}

DeathmatchFlagTable DeathmatchFlagRows() {
    return DeathmatchFlagTable{kDeathmatchFlags, sizeof kDeathmatchFlags / sizeof kDeathmatchFlags[0]};
}

}  // namespace servercfg

namespace {

template <std::size_t N>
void WriteEntries(std::string& out, const ServerSettings& settings, const ConfigEntry (&entries)[N]) {
    for (const ConfigEntry& entry : entries) WriteEntry(out, settings, entry);
}

}  // namespace

void WriteBasicSection(std::string& out, const ServerSettings& s) { WriteEntries(out, s, kBasicEntries); }
void WriteAdvancedSection(std::string& out, const ServerSettings& s) { WriteEntries(out, s, kAdvancedEntries); }
void WriteAdvanced2Section(std::string& out, const ServerSettings& s) { WriteEntries(out, s, kAdvanced2Entries); }
void WriteTeamSection(std::string& out, const ServerSettings& s) { WriteEntries(out, s, kTeamEntries); }
void WriteLimitsSection(std::string& out, const ServerSettings& s) { WriteEntries(out, s, kLimitsEntries); }
void WriteWeaponsSection(std::string& out, const ServerSettings& s) { WriteEntries(out, s, kWeaponsEntries); }
void WriteExplosivesSection(std::string& out, const ServerSettings& s) {
    WriteEntries(out, s, kExplosivesEntries);
}

std::string BuildMapListValue(const ServerSettings& settings) {
    std::string value;
    const char* prefix = GameTypePrefix(settings.GameType);
    for (const FlaggedItem& pair : ParseFlaggedList(settings.MapRotationList)) {
        if (prefix != nullptr) {
            value += prefix;
            value += ' ';
        }
        value += pair.item;
        value += ';';
        if (IsMarkOne(pair.mark)) {
            value += kTeamSwapMark;
            value += ';';
        }
    }
    return value;
}

void WriteMapRotation(std::string& out, const ServerSettings& settings) {
    out += kRotationComment;
    AppendLine(out, kRotationLine, BuildMapListValue(settings));
}

void WriteMapSection(std::string& out, const ServerSettings& settings) {
    // A rotation of blanks alone holds no map and counts as empty.
    const std::vector<FlaggedItem> rotation = ParseFlaggedList(settings.MapRotationList);
    if (settings.MapName[0] != '\0') {
        out += kStartMapComment;
        AppendLine(out, kStartMapLine, settings.MapName);
    } else if (!rotation.empty()) {
        out += kStartMapComment;
        AppendLine(out, kStartMapLine, rotation.front().item);
    }
    if (!rotation.empty()) WriteMapRotation(out, settings);
}

int DeathmatchFlags(const ServerSettings& settings) {
    int mask = 0;
    for (const DeathmatchFlag& flag : kDeathmatchFlags) {
        if (FlagAt(settings, flag.field)) mask |= flag.bit;
    }
    return mask;
}

void WriteDeathmatchFlags(std::string& out, const ServerSettings& settings) {
    out += kDeathmatchComment;
    for (const DeathmatchFlag& flag : kDeathmatchFlags) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x", flag.bit);
        AppendLine(out, flag.commentLine, hex);
    }
    AppendLine(out, kDeathmatchLine, std::to_string(DeathmatchFlags(settings)));
}

std::string ToTextModeBytes(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

namespace servercfg {

void WriteSection(std::string& out, const ServerSettings& settings, const Section& section) {
    switch (section.kind) {
        case SectionKind::Entries:
            for (const ConfigEntry& entry : section.rows) WriteEntry(out, settings, entry);
            break;
        case SectionKind::MapLines:
            WriteMapSection(out, settings);
            break;
        case SectionKind::DeathmatchFlags:
            WriteDeathmatchFlags(out, settings);
            break;
    }
}

}  // namespace servercfg

std::string BuildServerConfig(const ServerSettings& settings) {
    std::string text;
    text.reserve(24 * 1024);
    for (const Section& section : ServerConfigSections()) WriteSection(text, settings, section);
    return ToTextModeBytes(text);
}

bool GetServerConfigPath(const ServerPlaces& places, std::string& path) {
    path = places.ServerConfigPath();
    return path.size() < kServerConfigPathSize;
}

SaveResult WriteServerFiles(const ServerSettings& settings, const ServerContext& context) {
    SaveResult result;
    std::string path;
    const bool fits = GetServerConfigPath(context.places, path);
    // The whole file is built first and replaces the old one only once it is
    // complete on disk, so a full disk never leaves half a server.cfg.
    const std::string bytes = BuildServerConfig(settings);
    if (!fits) platform::SetLastErrorCode(206);  // ERROR_FILENAME_EXCED_RANGE
    if (!fits || !platform::ReplaceFileContents(path.c_str(), bytes.data(), bytes.size())) {
        result.failures.push_back(platform::LastError(path));
        ReportFileNotWritten(context.notices, path, IDS_CONFIG_WRITE_FAILED_TEXT, IDS_CONFIG_WRITE_FAILED_CAPTION,
                             result.failures.back());
        return result;
    }
    result.serverConfigWritten = true;
    // usedmods.cfg belongs with a server.cfg that was written; its own
    // failure is reported by it and does not stop the save.
    platform::Error usedMods;
    if (!WriteUsedMods(settings.ModuleUseList, context, usedMods)) result.failures.push_back(usedMods);
    return result;
}

SaveResult SaveConfiguration(const ServerSettings& settings, const ServerContext& context) {
    SettingsWriteResult written = settings.WriteSettings(context);
    SaveResult result = WriteServerFiles(settings, context);
    if (!written.Written()) result.failures.insert(result.failures.begin(), written.failures.front().error);
    result.settings = std::move(written);
    return result;
}
