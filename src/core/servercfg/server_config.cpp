// server.cfg: its entries as tables, walked by the section writers, and the
// Save sequence.
#include "core/servercfg/config_writer.h"
#include "core/servercfg/save_configuration.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/usedmods/used_mods.h"
#include "platform/platform.h"
#include "core/settings/flagged_list.h"
#include "core/settings/server_settings.h"
#include "core/settings/settings_file.h"
#include "core/common/notice.h"
#include "core/common/ui_text.h"
#include "core/common/user_folder.h"

namespace {

struct FieldRef {
    SettingKind kind;
    std::size_t offset;
};
// The field's kind follows from its declared type, so a table row cannot
// read a field as the wrong type.
constexpr FieldRef FieldOf(char (ServerSettings::*)[kSettingsTextSize], std::size_t offset) {
    return {SettingKind::Text, offset};
}
constexpr FieldRef FieldOf(std::int32_t ServerSettings::*, std::size_t offset) { return {SettingKind::Int, offset}; }
constexpr FieldRef FieldOf(float ServerSettings::*, std::size_t offset) { return {SettingKind::Float, offset}; }
constexpr FieldRef FieldOf(bool ServerSettings::*, std::size_t offset) { return {SettingKind::Bool, offset}; }
#define F(name) FieldOf(&ServerSettings::name, offsetof(ServerSettings, name))

enum class Rule : std::uint8_t {
    Plain,       // the field's value
    Inverted,    // a flag written as its opposite
    Optional,    // an integer written only when 0 or more
    Choice,      // an index (or a flag as 0/1) picking a text; none outside the table
    HealthDrop,  // the classes' cvar when classes are off in a team game
};

struct Choices {
    const char* const* texts;  // nullptr entries write no value line
    std::size_t count;
};
#define CHOICES(table) Choices{table, sizeof(table) / sizeof(table[0])}

struct ConfigEntry {
    const char* comment;  // written always
    const char* line;     // the value line, with one %d, %f or %s
    FieldRef field;
    Rule rule;
    Choices choices = {nullptr, 0};
};

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
const char kClassesHealthDropLine[] = "set dm_classesDeathDropHealth %d\n";

const ConfigEntry kBasicEntries[] = {
    {"// Server Name\n// Name that will appear on the server browser\n",
     "sv_hostname \"%s\"\n", F(ServerName), Rule::Plain},
    {"\n// Password\n// Allows you to set a password for the server\n",
     "set password \"%s\"\n", F(ServerPassword), Rule::Plain},
    {"\n// Max Players\n",
     "set sv_maxclients %d\n", F(MaxPlayers), Rule::Plain},
    {"\n// Time Limit\n// This sets the elapsed time at which the game ends, the winner being the player with the highest score at that time.\n",
     "set timelimit %d\n", F(TimeLimit), Rule::Plain},
    {"\n// Frag Limit\n// The score at which the player or team will win the current map\n",
     "set fraglimit %d\n", F(FragLimit), Rule::Plain},
    {"\n// Welcome message\n// Will show up on the client when they join the server\n",
     "set g_motd \"%s\"\n", F(WelcomeMessage), Rule::Plain},
    {"\n// Game Type\n// 1 Free for All\n// 2 TeamDeathMatch\n// 6 Invader\n",
     "set g_gametype %s\n", F(GameType), Rule::Choice, CHOICES(kGameTypeNumbers)},
    {"\n// Heal Rate\n// Determines how fast players heal when they use a health pickup\n",
     "set g_healrate %s\n", F(HealRate), Rule::Choice, CHOICES(kHealRates)},
    {"\n// Health Drop\n// When enabled players will drop a health pack when killed\n",
     "set g_healthdrop %d\n", F(HealthDrop), Rule::HealthDrop},
    {"\n// Backpack Drop\n// When enabled players will drop their backpack when killed\n",
     "set dm_classesDeathDropBackpack %d\n", F(BackpackDrop), Rule::Plain},
    {"\n// Weapon Drop\n// When enabled players will drop their weapon when killed\n",
     "set dm_deathDropWeapon %d\n", F(WeaponDrop), Rule::Plain},
    {"\n// Realism\n// Toggles reaslistic mode\n",
     "set g_realismmode %d\n", F(RealisticMode), Rule::Plain},
    {"\n// Fast Run Speed\n// When checked, the speed at which players can run through levels is increased. \n// Leaving it unchecked defaults to Orvane's original run speed\n",
     "set sv_runspeed %s\n", F(FastRunSpeed), Rule::Choice, CHOICES(kRunSpeeds)},
    {"\n// Team Damage\n// Toggles friendly fire\n",
     "set dm_teamdamage %d\n", F(FriendlyFire), Rule::Plain},
    {"\n// Infinite Ammo\n// Toggles the unlimited ammo setting\n",
     "set g_unlimitedammo %d\n", F(InfiniteAmmo), Rule::Plain},
    {"\n// GameSpy\n// When set to one, creates a community server available through GameSpy\n",
     "set sv_communitypublic %d\n", F(GameSpy), Rule::Plain},
};

const ConfigEntry kAdvancedEntries[] = {
    {"\n// Additional Settings\n// An editable field where you can write out custom options.\n",
     "%s\n", F(AdditionalOptions), Rule::Plain},
    {"\n// Inactive Spectate\n// This sets the time in seconds after which an inactive player becomes a spectator. To save server bandwidth, 60 seconds is default.\n",
     "set g_inactivespectate %d\n", F(InactiveSpectate), Rule::Plain},
    {"\n// Map duration\n// This sets the amount of play time on this map.\n",
     "set g_tempmaptime %d\n", F(MapDuration), Rule::Plain},
    {"\n// Spawn delay\n// This sets how long it'll take foir the players to spawn.\n",
     "g_respawn_time %f\n", F(SpawnDelay), Rule::Plain},
    {"\n// Invulnerable Time\n// Amount of time a player is invulnerable for after spawning\n",
     "set sv_invulnerabletime %d\n", F(Invicibitlity), Rule::Plain},
    {"\n// INFO Threshold\n// If >0 then limits amount of server INFO packets to send out per second\n",
     "set dm_infoThreshhold %d\n", F(InfoThreshold), Rule::Plain},
    {"\n// STATUS Threshold\n// If >0 then limits amount of server STATUS packets to send out per second\n",
     "set dm_statusThreshhold %d\n", F(StatThreshold), Rule::Plain},
    {"\n// Max Rag Dolls\n// The number of bodies that will use the rag doll physics\n",
     "set dm_maxragdolls %d\n", F(MaxRagDolls), Rule::Plain},
    {"\n// DM Speed Mult\n// How much faster than single player the multiplayer players run\n",
     "set sv_dmspeedmult %f\n", F(DMSpeedMultiplier), Rule::Plain},
    {"\n// Mute Spectators\n// Prevents spectators from joining in the chat\n",
     "set g_spectate_allow_full_chat %d\n", F(MuteSpectators), Rule::Inverted},
    {"\n// Enable Punkbuster\n// Turns on punkbuster requirements for the server\n",
     "set punkbuster %d\n", F(EnablePunkBuster), Rule::Plain},
    {"\n// Show Enemy Names\n// Show the names of the enemies when your looking at them\n",
     "set g_showlookat %d\n", F(ShowEnemyNames), Rule::Plain},
    {"\n// Bleed To Death\n// Allow the players to bleed to deathy when the take aggrivated wounds\n",
     "set dm_bleedtodeath %d\n", F(BleedToDeath), Rule::Plain},
    {"\n// Disable Bleeding \n// Show the bleeding of the players in multiplayer\n",
     "set sv_disablebleeding %d\n", F(DisableBleeding), Rule::Plain},
    {"\n// Online Stat Tracking\n// Connects to the stats tracking server to track your games\n",
     "set sv_communitystats %d\n", F(OnlineStatTracking), Rule::Plain},
    {"\n// Enable retreating\n// Indicates if the server supports the defender fall back function\n",
     "set g_retreat_enable %d\n", F(RetreatEnable), Rule::Plain},
    {"\n// Retreat respawn\n// If true respawn defenders with full weapons/ammo/health\n",
     "set g_retreat_respawn %d\n", F(RetreatRespawn), Rule::Plain},
    {"\n// Retreat cost\n// If true then accepting retreat use icon costs defenders a spawn\n",
     "set g_retreat_cost %d\n", F(RetreatSpawnCost), Rule::Plain},
    {"\n// Retreat time\n// How long the retreat use icon will remain after an objective is lost\n",
     "set g_retreat_time %f\n", F(RetreatTime), Rule::Plain},
    {"\n// Retreat Delay\n// How long after hitting use icon that the player actually retreats\n",
     "set g_retreat_delay %f\n", F(RetreatDelay), Rule::Plain},
    {"\n// Pure\n// When set to 1, the client and server must match. This is pure\n",
     "set sv_pure %d\n", F(Pure), Rule::Plain},
};

const ConfigEntry kAdvanced2Entries[] = {
    {"\n// Able Group Name\n// The name of the \"able\" group\n",
     "set sv_ablegroupname \"%s\"\n", F(AbleGroupName), Rule::Plain},
    {"\n// Baker Group Name\n// The name of the \"baker\" group\n",
     "set sv_bakergroupname \"%s\"\n", F(BakerGroupName), Rule::Plain},
    {"\n// Attacker Advance Delay\n// Stalls the attac king advance at the beggining of the match\n",
     "set dm_attackerAdvanceDelay %f\n", F(AttackerAdvanceDelay), Rule::Plain},
    {"\n// Effects Controller\n// A \"1\" in this field indicates that all ambience is on, and a \"0\" indicates ambience\n"
         "// is off and bandwidth is conserved.\n",
     "set dm_effectscontroller %d\n", F(EffectsController), Rule::Plain},
    {"\n// Aim assist zoom\n// The amount of zoom on an aim assist\n",
     "set dm_aimassistZoom %d\n", F(AimAssistZoom), Rule::Plain},
    {"\n// Aim assist zoom time\n// The delay before it the aim assist activates\n",
     "set dm_aimassistZoomTime %f\n", F(AimAssistZoomTime), Rule::Plain},
    {"\n// FFA Allied Pistol\n// Free For All Allied pistol setting\n",
     "set dm_ffaAlliedPistol %d\n", F(FFAAlliedPistol), Rule::Optional},
    {"\n// FFA Max Health\n// Free For All health cap\n",
     "set dm_ffaMaxHealth %d\n", F(FFAMaxHealth), Rule::Plain},
    {"\n// Large Player Count\n// The large players setting\n",
     "set dm_largePlayerCount %d\n", F(LargePlayerCount), Rule::Plain},
    {"\n// Post Round Wait Time\n// Number of seconds to wait after round ends\n",
     "set dm_postroundwaittime %f\n", F(PostRoundWaitTime), Rule::Plain},
    {"\n// Use Hag Initial Bullet Count\n// If zero then use dm_*_ammo_init cvars instead of HAGs to determine initial weapon loads\n",
     "set dm_useHagInitialBulletCount %d\n", F(UseHagInitialBulletCount), Rule::Plain},
    {"\n// Seconds Left In Match \n// Sets the countdown seconds for the match\n",
     "set dm_secondsLeftInMatch %d\n", F(SecondsLeftInMatch), Rule::Plain},
    {"\n// Wait For Transition Flag\n// The delay when waiting for the transition flag\n",
     "set dm_waitfortransitionflag %d\n", F(WaitForTransitionFlag), Rule::Plain},
    {"\n// Incapacitated Max Health\n// The maximum amount of health allowable when incapacitated\n",
     "set dm_incapacitatedMaxHealth %f\n", F(IncapacitatedMaxHealth), Rule::Plain},
};

const ConfigEntry kTeamEntries[] = {
    {"\n// Team Kill Warning\n// Warning message sent to the player for team killing\n",
     "set g_teamkillwarn_message \"%s\"\n", F(TeamKillWarning), Rule::Plain},
    {"\n// Team Kill Warnings\n// Number of warnings before being banned\n",
     "set g_teamkillwarn \"%d\"\n", F(TeamKillWarnings), Rule::Plain},
    {"\n// Team Kill Kick\n// Amount of team kills before the player is kicked off the server.\n",
     "set g_teamkillkick %d\n", F(TeamKillKick), Rule::Plain},
    {"\n// Kick Duration\n// The amount of time before a team killer is allowed back onto the server\n",
     "set g_teamkillbanduration %d\n", F(KickDuration), Rule::Plain},
    {"\n// Inactive Kick\n// This sets the time in seconds after which an inactive player is kicked out of the game. 900 (15 minutes) seconds is default.\n",
     "set g_inactivekick %d\n", F(InactiveKick), Rule::Plain},
    {"\n// Warm-Up Interval\n// the amount of time spent in the warm-up mode\n",
     "set g_warmup %d\n", F(WarmUpInterval), Rule::Plain},
    {"\n// Respawn Interval\n// Delay before the player respawns\n",
     "set g_respawn_time %d\n", F(RespawnInterval), Rule::Plain},
    {"\n// Vote Majority\n// Sets the majority required for a vote to pass\n",
     "set dm_votemajority %d\n", F(VoteMajority), Rule::Plain},
    {"\n// Body Time Max\n// The maximum amount of time to rag doll a body\n",
     "set dm_bodytime_max %f\n", F(BodyTimeMax), Rule::Plain},
    {"\n// Body Time Min\n// The minimum amount of time to rag doll a body\n",
     "set dm_bodytime_min %f\n", F(BodyTimeMin), Rule::Plain},
    {"\n// Corpsman Attention Dist\n// The distance before the corpsman attention is enabled\n",
     "set dm_corpsmanAttentionDist %d\n", F(CorpsmanAttentionDist), Rule::Plain},
    {"\n// Corpsman Heal Amount\n// The healing power of the corpsman\n",
     "set dm_corpsmanHealAmount %d\n", F(CorpsmanHealAmount), Rule::Plain},
    {"\n// Corpsman Heal Time\n// the time it takes for the corpsman to heal\n",
     "set dm_corpsmanHealTime %f\n", F(CorpsmanHealTime), Rule::Plain},
    {"\n// Corpsman Max Morphine\n// The maximum amount of morphine the corpsman can carry\n",
     "set dm_corpsmanMaxMorphine %d\n", F(CorpsmanMaxMorphine), Rule::Plain},
    {"\n// Corpsman Max Sulfa\n// The maximum amount of sulfa the corpsman can carry\n",
     "set dm_corpsmanMaxSulfa %d\n", F(CorpsmanMaxSulfa), Rule::Plain},
    {"\n// Corpsman Revive Time\n// The delay before the corpsman can revive\n",
     "set dm_corpsmanReviveTime %f\n", F(CorpsmanReviveTime), Rule::Plain},
    {"\n// Engineer Disarm Expl Speedup\n// SpeedUp for the engineer to disarm explosives\n",
     "set dm_engineerDisarmExplSpeedup %f\n", F(EngineerDisarmExplSpeedup), Rule::Plain},
    {"\n// Engineer Max Explosives\n// The maximum number of explosives the engineer can carry\n",
     "set dm_engineerMaxExplosives %d\n", F(EngineerMaxExplosives), Rule::Plain},
    {"\n// Engineer Plant Expl Speedup\n// SpeedUp for the engineer to plant explosives\n",
     "set dm_engineerPlantExplSpeedup %f\n", F(EngineerPlantExplSpeedup), Rule::Plain},
    {"\n// Player Spawn Method\n// Spawn hueristics\n",
     "set dm_playerspawn_method \"%s\"\n", F(PlayerSpawn), Rule::Choice, CHOICES(kSpawnMethods)},
    {"\n// Auto Balance\n// Auto balances the teams\n"
         "//    0        - normal\n"
         "//    1        - force you when you enter the game\n"
         "//    3        - force you when you die (balancing if people leave the server mid game)\n",
     "set g_teamautobalance %s\n", F(AutoBalance), Rule::Choice, CHOICES(kAutoBalanceModes)},
    {"\n// Disable classes in Team Deathmatch\n",
     "set dm_combatclassesenabled %d\n", F(DisableClasses), Rule::Inverted},
    {"\n// Enable voting in games\n",
     "set g_allowvote %d\n", F(EnableVoting), Rule::Plain},
    {"\n// Do Warmup\n// If zero there won't be a warmup infront of invader games\n",
     "set g_doWarmup %d\n", F(DoWarmup), Rule::Plain},
    {"\n// Peace Warmup\n// If zero them players can kill each other durring warmup\n",
     "set g_peace_warmup %d\n", F(PeaceWarmup), Rule::Plain},
    {"\n// Invert Objective Numbers\n",
     "set g_invobjno %d\n", F(InvertObjectiveNumbers), Rule::Plain},
};

const ConfigEntry kLimitsEntries[] = {
    {"\n// Infantry Limits\n",
     "set sv_restrict_infantry %d\n", F(InfantryLimit), Rule::Plain},
    {"\n// Corpsman Limits\n",
     "set sv_restrict_corpsman %d\n", F(CorpsmanLimit), Rule::Plain},
    {"\n// Engineer Limits\n",
     "set sv_restrict_engineer %d\n", F(EngineerLimit), Rule::Plain},
    {"\n// Ammo Tech Limits\n",
     "set sv_restrict_ammotech %d\n", F(AmmoTechLimit), Rule::Plain},
    {"\n// Close Range Limits\n",
     "set sv_restrict_closerange %d\n", F(CloseRangeLimit), Rule::Plain},
    {"\n// Rifles Limits\n",
     "set sv_restrict_rifle %d\n", F(RiflesLimit), Rule::Plain},
    {"\n// Sub Machine Guns Limits\n",
     "set sv_restrict_smg %d\n", F(SubMachineGunsLimit), Rule::Plain},
    {"\n// Machine Guns Limits\n",
     "set sv_restrict_mg %d\n", F(MachineGunsLimit), Rule::Plain},
    {"\n// Sniper Rifles Limits\n",
     "set sv_restrict_sniperrifle %d\n", F(SniperRiflesLimit), Rule::Plain},
    {"\n// Connection Restriction\n// Limits the ping times to prevent the server from getting overburdened\n",
     "set sv_pingrestrict %d\n", F(ConnectionRestriction), Rule::Plain},
    {"\n// Spawn Pool Size\n// Number of lives in spawnpool. If <=0 then it" "\x92"
         "s 6x number of players at start, otherwise it" "\x92" "s the multiple\n",
     "set g_spawnmultiple %d\n", F(SpawnPoolSizeRestriction), Rule::Plain},
    {"\n// Kick Restrictions\n",
     "set sv_kickrestrict %d\n", F(KickRestriction), Rule::Plain},
    {"\n// Min Team bonus\n",
     "set sv_minteambonus %d\n", F(MinTeamBonus), Rule::Plain},
    {"\n// Max Team bonus\n",
     "set sv_maxteambonus %d\n", F(MaxTeamBonus), Rule::Plain},
    {"\n// Min Kills\n",
     "set sv_minkills %d\n", F(MinKills), Rule::Plain},
    {"\n// Max Kills\n",
     "set sv_maxkills %d\n", F(MaxKills), Rule::Plain},
    {"\n// Min Team Online\n",
     "set sv_mintimeonline %d\n", F(MinTeamOnline), Rule::Plain},
    {"\n// Max Team Online\n",
     "set sv_maxtimeonline %d\n", F(MaxTeamOnline), Rule::Plain},
    {"\n// Allied Frags\n// The cap on the number of allied frags before the round is over\n",
     "set dm_alliesFrags %d\n", F(AlliedFrags), Rule::Plain},
    {"\n// Axis Frags\n// The cap on the number of axis frags before the round is over\n",
     "set dm_axisFrags %d\n", F(AxisFrags), Rule::Plain},
    {"\n// Allow all skins\n// All the hag files in models/characters/player/."
         "\n//\tDon't include the \".hag\" in this cvar. \"All\" means that any skin is allowed.\n",
     "%s", F(AllowAllSkins), Rule::Choice, CHOICES(kSkinLines)},
};

const ConfigEntry kWeaponsEntries[] = {
    {"\n// Ammo Boxes Count Init\n// Initial amount  of ammo in the ammo boxes\n",
     "set dm_ammoboxes_count_init %d\n", F(AmmoBoxesCountInit), Rule::Optional},
    {"\n// Ammo Boxes Count Max\n// Maximum amount of ammo found\n",
     "set dm_ammoboxes_count_max %d\n", F(AmmoBoxesCountMax), Rule::Optional},
    {"\n// Artillery Ammo Time\n// The amount of time before the artillery ammo respawns\n",
     "set dm_artilleryAmmoTime %f\n", F(ArtilleryAmmoTime), Rule::Plain},
    {"\n// Artillery Internal Ammo\n// The internal amount of ammo the artillery guns can hold\n",
     "set dm_artilleryInternalAmmo %d\n", F(ArtilleryInternalAmmo), Rule::Plain},
    {"\n// MG Ammo Time\n// The amount of time before the MG ammo respawns\n",
     "set dm_mgAmmoTime %f\n", F(MGAmmoTime), Rule::Plain},
    {"\n// MG Internal Ammo\n// The internal amount of ammo the MG guns can hold\n",
     "set dm_mgInternalAmmo %d\n", F(MGInternalAmmo), Rule::Plain},
    {"\n// Pistol Ammo Init\n// Your initial pistol ammo\n",
     "set dm_pistol_ammo_init %d\n", F(PistolAmmoInit), Rule::Optional},
    {"\n// Pistol Ammo Max\n// The maximum amount of ammo in a pistol\n",
     "set dm_pistol_ammo_max %d\n", F(PistolAmmoMax), Rule::Optional},
    {"\n// Rifle Ammo Init\n// Your initial rifle ammo\n",
     "set dm_rifle_ammo_init %d\n", F(RifleAmmoInit), Rule::Optional},
    {"\n// Rifle Ammo Max\n// he maximum amount of ammo in a rifle\n",
     "set dm_rifle_ammo_max %d\n", F(RifleAmmoMax), Rule::Optional},
    {"\n// SMG Ammo Init\n// Your SMG pistol ammo\n",
     "set dm_smg_ammo_init %d\n", F(SMGAmmoInit), Rule::Optional},
    {"\n// SMG Ammo Max\n// he maximum amount of ammo in a SMG\n",
     "set dm_smg_ammo_max %d\n", F(SMGAmmoMax), Rule::Optional},
    {"\n// MG Cool Rate\n",
     "set dm_mgCoolRate %f\n", F(MGCoolRate), Rule::Plain},
    {"\n// MG Heat Rate\n",
     "set dm_mgHeatRate %f\n", F(MGHeatRate), Rule::Plain},
    {"\n// MG Jam Time\n",
     "set dm_mgJamTime %f\n", F(MGJamTime), Rule::Plain},
    {"\n// MG Max Health\n",
     "set dm_mgMaxHealth %d\n", F(MGMaxHealth), Rule::Plain},
    {"\n// MG Supply Count\n",
     "set dm_mgSupplyCount %d\n", F(MGSupplyCount), Rule::Plain},
    {"\n// MG Supply Max Count\n",
     "set dm_mgSupplyMaxCount %d\n", F(MGSupplyMaxCount), Rule::Plain},
    {"\n// MG Supply Size\n",
     "set dm_mgSupplySize %d\n", F(MGSupplySize), Rule::Plain},
    {"\n// MG User Distance\n// The distance the user needs to be before operating the MG\n",
     "set dm_mgUserDistance %d\n", F(MGUserDistance), Rule::Plain},
    {"\n// Cornucopia Ammo\n// if zero then ammoboxes only refill weapon in hand, not all weapons in inventory\n",
     "set dm_cornucopiaAmmo %d\n", F(CornucopiaAmmo), Rule::Plain},
    {"\n// Full Restock Ammo\n// If zero then only a partial restock of ammo happens when running over ammoboxes\n",
     "set dm_fullRestockAmmo %d\n", F(FullRestockAmmo), Rule::Plain},
    {"\n// ViewKickMultiplier\n// A value of 1.0 will make the kick in multiplayer the same as that in singleplayer.\n",
     "set dm_dmviewkickmult %f\n", F(ViewKickMultiplier), Rule::Plain},
    {"\n// ClientTracer\n// When set to 0, all tracer and bullet poof information is transmitted in the traditional\n"
         "// way, over the wire, for each shot. This has a slightly higher degree of realism in some rare situations,\n"
         "// but normally should be avoided as it comes with a higher network cost. The default value of 2 grants more\n"
         "// network optimizations and is preferred. Although 1 is a valid option, it should never be used as it costs\n"
         "// even more than option 0 as far as performance, yet is less realistic than 0.\n",
     "set sv_clienttracer %d\n", F(ClientTracer), Rule::Plain},
};

const ConfigEntry kExplosivesEntries[] = {
    {"\n// Artillery Max Health\n",
     "set dm_artilleryMaxHealth %d\n", F(ArtilleryMaxHealth), Rule::Plain},
    {"\n// Artillery Support count\n",
     "set dm_artillerySupplyCount %d\n", F(ArtillerySupportCount), Rule::Plain},
    {"\n// Artillery supply max count\n",
     "set dm_artillerySupplyMaxCount %d\n", F(ArtillerySupplyMaxCount), Rule::Plain},
    {"\n// Artillery Supply Size\n",
     "set dm_artillerySupplySize %d\n", F(ArtillerySupplySize), Rule::Plain},
    {"\n// Explosives Arm Time\n",
     "set dm_explosivesArmTime %f\n", F(ExplosivesArmTime), Rule::Plain},
    {"\n// Explosives Damage\n\n",
     "set dm_explosivesDamage %d\n", F(ExplosivesDamage), Rule::Plain},
    {"\n// Explosives Disarm Time\n",
     "set dm_explosivesDisarmTime %f\n", F(ExplosivesDisarmTime), Rule::Plain},
    {"\n// Explosives Fuse Time\n",
     "set dm_explosivesFuseTime %f\n", F(ExplosivesFuseTime), Rule::Plain},
    {"\n// Explosives Radius\n",
     "set dm_explosivesRadius %d\n", F(ExplosivesRadius), Rule::Plain},
    {"\n// Grenade Count Init\n",
     "set dm_grenade_count_init %d\n", F(GrenadeCountInit), Rule::Optional},
    {"\n// Grenade Count Max\n",
     "set dm_grenade_count_max %d\n", F(GrenadeCountMax), Rule::Optional},
    {"\n// Landmine Defuse Time\n",
     "set dm_landmineDefuseTime %f\n", F(LandmineDefuseTime), Rule::Plain},
    {"\n// Landmine Defuse Time Engineer\n",
     "set dm_landmineDefuseTimeEngineer %f\n", F(LandmineDefuseTimeEngineer), Rule::Plain},
    {"\n// Landmine Max Spot Distance\n",
     "set dm_landmineMaxSpotDistance %d\n", F(LandmineMaxSpotDistance), Rule::Plain},
    {"\n// Landmine Spot Mult Crouch\n",
     "set dm_landmineSpotMultCrouch %f\n", F(LandmineSpotMultCrouch), Rule::Plain},
    {"\n// Landmine Spot Mult Prone\n",
     "set dm_landmineSpotMultProne %f\n", F(LandmineSpotMultProne), Rule::Plain},
    {"\n// Landmine Spot Mult Stand\n",
     "set dm_landmineSpotMultStand %f\n", F(LandmineSpotMultStand), Rule::Plain},
    {"\n// Landmine Spotting Narrowness\n",
     "set dm_landmineSpottingNarrowness %f\n", F(LandmineSpottingNarrowness), Rule::Plain},
    {"\n// Landmines Count Init\n",
     "set dm_landmines_count_init %d\n", F(LandminesCountInit), Rule::Optional},
    {"\n// Landmines Count Max\n",
     "set dm_landmines_count_max %d\n", F(LandminesCountMax), Rule::Optional},
    {"\n// Satchelcharges Count Init\n",
     "set dm_satchelcharges_count_init %d\n", F(SatchelChargesCountInit), Rule::Optional},
    {"\n// Satchelcharges Count Max\n",
     "set dm_satchelcharges_count_max %d\n", F(SatchelChargesCountMax), Rule::Optional},
    {"\n// Grenades Allowed\n// If zero then no grenades handed out when game starts\n",
     "set dm_grenadesAllowed %d\n", F(GrenadesAllowed), Rule::Plain},
    {"\n// Landmines Allowed\n// If zero then no landmines handed out when game starts\n",
     "set dm_landminesAllowed %d\n", F(LandminesAllowed), Rule::Plain},
    {"\n// Satchel Charges Allowed\n// If zero then no satchel charges handed out when game starts\n",
     "set dm_satchelChargesAllowed %d\n", F(SatchelChargesAllowed), Rule::Plain},
};

struct DeathmatchFlag {
    const char* commentLine;  // with one %x for the bit
    int bit;
    FieldRef field;
};
const DeathmatchFlag kDeathmatchFlags[] = {
    {"//    DF_NO_HEALTH          0x%x \n", 0x1, F(NoHealth)},
    {"//    DF_NO_POWERUPS        0x%x \n", 0x2, F(NoPowerups)},
    {"//    DF_WEAPONS_STAY       0x%x \n", 0x4, F(WeaponStay)},
    {"//    DF_NO_FALLING         0x%x \n", 0x8, F(NoFallingDamage)},
    {"//    DF_INSTANT_ITEMS      0x%x \n", 0x10, F(InstantItems)},
    {"//    DF_NO_ARMOR\t\t\t0x%x \n", 0x800, F(NoArmor)},
    {"//    DF_NO_FOOTSTEPS       0x%x \n", 0x20000, F(NoFootsteps)},
    {"//    DF_ALLOW_LEAN         0x%x \n", 0x40000, F(AllowLean)},
};

const unsigned char* FieldAt(const ServerSettings& settings, FieldRef field) {
    return reinterpret_cast<const unsigned char*>(&settings) + field.offset;
}
std::int32_t IntAt(const ServerSettings& settings, FieldRef field) {
    std::int32_t value;
    std::memcpy(&value, FieldAt(settings, field), sizeof value);
    return value;
}
bool FlagAt(const ServerSettings& settings, FieldRef field) {
    return *reinterpret_cast<const bool*>(FieldAt(settings, field));
}

std::string FormatFloat(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

// The field's value as its conversion renders it.
std::string RenderField(const ServerSettings& settings, FieldRef field) {
    switch (field.kind) {
        case SettingKind::Text: return reinterpret_cast<const char*>(FieldAt(settings, field));
        case SettingKind::Int: return std::to_string(IntAt(settings, field));
        case SettingKind::Float: {
            float value;
            std::memcpy(&value, FieldAt(settings, field), sizeof value);
            return FormatFloat(value);
        }
        case SettingKind::Bool: return FlagAt(settings, field) ? "1" : "0";
    }
    return std::string();
}

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
            bool classes = settings.GameType != 0 && settings.DisableClasses;
            AppendLine(out, classes ? kClassesHealthDropLine : entry.line, RenderField(settings, entry.field));
            break;
        }
    }
}

template <std::size_t N>
void WriteEntries(std::string& out, const ServerSettings& settings, const ConfigEntry (&entries)[N]) {
    for (const ConfigEntry& entry : entries) WriteEntry(out, settings, entry);
}

const char* GameTypePrefix(std::int32_t gameType) {
    const std::size_t count = sizeof kGameTypeNumbers / sizeof kGameTypeNumbers[0];
    return gameType >= 0 && static_cast<std::size_t>(gameType) < count ? kGameTypeNumbers[gameType] : nullptr;
}

void ReportSaveFailure(const std::string& path) {
    Notice notice;
    notice.file = path;
    notice.text = std::string(LoadUIText(IDS_CONFIG_WRITE_FAILED_TEXT)) + path;
    notice.caption = LoadUIText(IDS_CONFIG_WRITE_FAILED_CAPTION);
    notice.owner = platform::BoxOwner::MainWindow;
    notice.style = 0x30;  // MB_ICONWARNING
    ReportNotice(notice);
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
        if (IsMarkOne(pair.mark)) value += "TeamSwap;";
    }
    return value;
}

void WriteMapRotation(std::string& out, const ServerSettings& settings) {
    out += "\n// Map Rotation List\n";
    AppendLine(out, "sv_maplist \"%s\"\n", BuildMapListValue(settings));
}

void WriteMapSection(std::string& out, const ServerSettings& settings) {
    static const char kStartMapComment[] = "\n// Map\n// Starting map on the rotation.\n";
    static const char kStartMapLine[] = "map \"%s\"\n";
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
    out += "\n// Death match flags\n";
    for (const DeathmatchFlag& flag : kDeathmatchFlags) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x", flag.bit);
        AppendLine(out, flag.commentLine, hex);
    }
    AppendLine(out, "set dmflags %d\n", std::to_string(DeathmatchFlags(settings)));
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

std::string BuildServerConfig(const ServerSettings& settings) {
    std::string text;
    text.reserve(24 * 1024);
    WriteBasicSection(text, settings);
    WriteAdvancedSection(text, settings);
    WriteAdvanced2Section(text, settings);
    WriteTeamSection(text, settings);
    WriteLimitsSection(text, settings);
    WriteMapSection(text, settings);
    WriteWeaponsSection(text, settings);
    WriteExplosivesSection(text, settings);
    WriteDeathmatchFlags(text, settings);
    return ToTextModeBytes(text);
}

bool GetServerConfigPath(std::string& path) {
    path = UserFilePath("server.cfg");
    return path.size() < kServerConfigPathSize;
}

bool SaveConfiguration() {
    ServerSettings* settings = GetServerSettings();
    settings->WriteSettings();

    std::string path;
    const bool fits = GetServerConfigPath(path);
    // The whole file is built first and replaces the old one only once it is
    // complete on disk, so a full disk never leaves half a server.cfg.
    const std::string bytes = BuildServerConfig(*settings);
    if (!fits || !platform::ReplaceFileContents(path.c_str(), bytes.data(), bytes.size())) {
        ReportSaveFailure(path);
        return false;
    }
    // usedmods.cfg belongs with a server.cfg that was written; its own
    // failure is reported by it and does not change the result.
    WriteUsedMods();
    return true;
}
