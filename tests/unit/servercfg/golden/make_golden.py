#!/usr/bin/env python3
"""Writes the expected server.cfg and Servolt.ini files of the core tests.

Its tables (entries, translations, defaults, key order) are the program's
own tables, copied independently of the C++ code, so that
the tests compare the program against these files and never against its own
output. Run it after editing cases.txt:

    python3 tests/unit/servercfg/golden/make_golden.py

Each [case] of cases.txt lists field=value overrides of the default
settings; the script writes default.cfg whole, every other case as its
differing lines in cases.cfgdiff, and default_settings.ini for a fresh
settings file. Texts in cases.txt use the escapes \\r \\n \\t \\\\
and \\xHH.
"""
import difflib
import os
import re
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

DEFAULT_ROTATION = (
    "dm/mp_airfield_inv 0 dm/mp_bataan_inv 0 dm/mp_bridge_inv 0 dm/mp_bougainville_inv 0 "
    "dm/mp_corregidor_inv 0 dm/mp_gavutu_inv 0 dm/mp_gifu_inv 0 dm/mp_matanikau_inv 0 "
    "dm/mp_wakeisland_inv 0")
assert len(DEFAULT_ROTATION) == 187

# ---- Defaults of the settings record, in record order
# (field, kind, default) in record order, from the settings tables
FIELDS = [
    ('ServerName', 'text', "Nameless Battle"),
    ('ServerPassword', 'text', ""),
    ('WelcomeMessage', 'text', ""),
    ('GameType', 'int', 2),
    ('HealRate', 'int', 2),
    ('MaxPlayers', 'int', 16),
    ('TimeLimit', 'int', 0),
    ('FragLimit', 'int', 0),
    ('HealthDrop', 'bool', True),
    ('BackpackDrop', 'bool', True),
    ('WeaponDrop', 'bool', True),
    ('RealisticMode', 'bool', False),
    ('FastRunSpeed', 'bool', False),
    ('FriendlyFire', 'bool', False),
    ('NoFallingDamage', 'bool', False),
    ('AllowLean', 'bool', False),
    ('NoFootsteps', 'bool', False),
    ('WeaponStay', 'bool', False),
    ('InfiniteAmmo', 'bool', True),
    ('GameSpy', 'bool', True),
    ('AdditionalOptions', 'text', ""),
    ('InactiveSpectate', 'int', 60),
    ('MapDuration', 'int', 0),
    ('SpawnDelay', 'float', 10.0),
    ('Invicibitlity', 'int', 3),
    ('InfoThreshold', 'int', 0),
    ('StatThreshold', 'int', 0),
    ('MaxRagDolls', 'int', 0),
    ('DMSpeedMultiplier', 'float', 1.0),
    ('RetreatTime', 'float', 10.0),
    ('RetreatDelay', 'float', 0.0),
    ('MuteSpectators', 'bool', True),
    ('EnablePunkBuster', 'bool', False),
    ('ShowEnemyNames', 'bool', False),
    ('DisableBleeding', 'bool', False),
    ('BleedToDeath', 'bool', False),
    ('OnlineStatTracking', 'bool', False),
    ('RetreatEnable', 'bool', True),
    ('RetreatRespawn', 'bool', False),
    ('RetreatSpawnCost', 'bool', False),
    ('Pure', 'bool', False),
    ('AbleGroupName', 'text', "Able"),
    ('BakerGroupName', 'text', "Baker"),
    ('AttackerAdvanceDelay', 'float', 10.0),
    ('EffectsController', 'int', 1),
    ('AimAssistZoom', 'int', 20),
    ('AimAssistZoomTime', 'float', 0.0),
    ('FFAAlliedPistol', 'int', -1),
    ('FFAMaxHealth', 'int', 100),
    ('LargePlayerCount', 'int', 12),
    ('PostRoundWaitTime', 'float', 30.0),
    ('UseHagInitialBulletCount', 'int', 1),
    ('SecondsLeftInMatch', 'int', 0),
    ('WaitForTransitionFlag', 'int', 0),
    ('IncapacitatedMaxHealth', 'float', 25.0),
    ('TeamKillWarning', 'text', "MP:DefaultTeamKillWarnMessage"),
    ('TeamKillWarnings', 'int', 3),
    ('TeamKillKick', 'int', 5),
    ('KickDuration', 'int', 1),
    ('InactiveKick', 'int', 900),
    ('WarmUpInterval', 'int', 0),
    ('VoteMajority', 'int', 51),
    ('RespawnInterval', 'int', 10),
    ('BodyTimeMax', 'float', 60.0),
    ('BodyTimeMin', 'float', 5.0),
    ('CorpsmanAttentionDist', 'int', 400),
    ('CorpsmanHealAmount', 'int', 125),
    ('CorpsmanHealTime', 'float', 2.0),
    ('CorpsmanMaxMorphine', 'int', 6),
    ('CorpsmanMaxSulfa', 'int', 8),
    ('CorpsmanReviveTime', 'float', 2.0),
    ('EngineerDisarmExplSpeedup', 'float', 4.0),
    ('EngineerMaxExplosives', 'int', 4),
    ('EngineerPlantExplSpeedup', 'float', 4.0),
    ('PlayerSpawn', 'int', 0),
    ('AutoBalance', 'int', 0),
    ('DisableClasses', 'bool', False),
    ('EnableVoting', 'bool', True),
    ('DoWarmup', 'bool', True),
    ('PeaceWarmup', 'bool', True),
    ('InvertObjectiveNumbers', 'bool', False),
    ('InfantryLimit', 'int', 100),
    ('CorpsmanLimit', 'int', 100),
    ('EngineerLimit', 'int', 100),
    ('AmmoTechLimit', 'int', 100),
    ('CloseRangeLimit', 'int', 100),
    ('RiflesLimit', 'int', 100),
    ('SubMachineGunsLimit', 'int', 100),
    ('MachineGunsLimit', 'int', 100),
    ('SniperRiflesLimit', 'int', 100),
    ('ConnectionRestriction', 'int', 0),
    ('SpawnPoolSizeRestriction', 'int', -1),
    ('KickRestriction', 'int', 0),
    ('MinTeamBonus', 'int', 0),
    ('MaxTeamBonus', 'int', 0),
    ('MinKills', 'int', 0),
    ('MaxKills', 'int', 0),
    ('MinTeamOnline', 'int', 0),
    ('MaxTeamOnline', 'int', 0),
    ('AlliedFrags', 'int', 0),
    ('AxisFrags', 'int', 0),
    ('AllowAllSkins', 'int', 0),
    ('MapName', 'text', ""),
    ('MapRotationList', 'text', DEFAULT_ROTATION),
    ('AmmoBoxesCountInit', 'int', -1),
    ('AmmoBoxesCountMax', 'int', -1),
    ('ArtilleryAmmoTime', 'float', 4.0),
    ('ArtilleryInternalAmmo', 'int', 1),
    ('MGAmmoTime', 'float', 1.5),
    ('MGInternalAmmo', 'int', 65),
    ('PistolAmmoInit', 'int', -1),
    ('PistolAmmoMax', 'int', -1),
    ('RifleAmmoInit', 'int', -1),
    ('RifleAmmoMax', 'int', -1),
    ('SMGAmmoInit', 'int', -1),
    ('SMGAmmoMax', 'int', -1),
    ('MGCoolRate', 'float', 2.25),
    ('MGHeatRate', 'float', 50.0),
    ('MGJamTime', 'float', 1.75),
    ('MGMaxHealth', 'int', 150),
    ('MGSupplyCount', 'int', 2),
    ('MGSupplyMaxCount', 'int', 5),
    ('MGSupplySize', 'int', 30),
    ('MGUserDistance', 'int', 64),
    ('CornucopiaAmmo', 'bool', True),
    ('FullRestockAmmo', 'bool', True),
    ('ViewKickMultiplier', 'float', 1.0),
    ('ClientTracer', 'int', 2),
    ('ArtilleryMaxHealth', 'int', 1750),
    ('ArtillerySupportCount', 'int', 3),
    ('ArtillerySupplyMaxCount', 'int', 5),
    ('ArtillerySupplySize', 'int', 1),
    ('ExplosivesArmTime', 'float', 15.0),
    ('ExplosivesDamage', 'int', 200),
    ('ExplosivesDisarmTime', 'float', 15.0),
    ('ExplosivesFuseTime', 'float', 30.0),
    ('ExplosivesRadius', 'int', 500),
    ('GrenadeCountInit', 'int', -1),
    ('GrenadeCountMax', 'int', -1),
    ('LandmineDefuseTime', 'float', -1.0),
    ('LandmineDefuseTimeEngineer', 'float', 4.0),
    ('LandmineMaxSpotDistance', 'int', 500),
    ('LandmineSpotMultCrouch', 'float', 0.5),
    ('LandmineSpotMultProne', 'float', 1.0),
    ('LandmineSpotMultStand', 'float', 0.33),
    ('LandmineSpottingNarrowness', 'float', 0.85),
    ('LandminesCountInit', 'int', -1),
    ('LandminesCountMax', 'int', -1),
    ('SatchelChargesCountInit', 'int', -1),
    ('SatchelChargesCountMax', 'int', -1),
    ('GrenadesAllowed', 'bool', True),
    ('LandminesAllowed', 'bool', True),
    ('SatchelChargesAllowed', 'bool', True),
    ('ModuleUseList', 'text', ""),
    ('NoHealth', 'bool', False),
    ('NoArmor', 'bool', False),
    ('NoPowerups', 'bool', False),
    ('InstantItems', 'bool', False),
]

# ---- Servolt.ini: sections and their keys in writing order
SETTINGS_FILE = [
    ('Basic', [
        'ServerName', 'ServerPassword', 'WelcomeMessage', 'GameType',
        'HealRate', 'MaxPlayers', 'TimeLimit', 'FragLimit',
        'HealthDrop', 'BackpackDrop', 'WeaponDrop', 'RealisticMode',
        'FastRunSpeed', 'FriendlyFire', 'NoFallingDamage', 'AllowLean',
        'NoFootsteps', 'WeaponStay', 'InfiniteAmmo', 'GameSpy',
    ]),
    ('Advanced', [
        'AdditionalOptions', 'InactiveSpectate', 'MapDuration', 'SpawnDelay',
        'Invicibitlity', 'InfoThreshold', 'StatThreshold', 'MaxRagDolls',
        'DMSpeedMultiplier', 'RetreatTime', 'RetreatDelay', 'MuteSpectators',
        'EnablePunkBuster', 'ShowEnemyNames', 'DisableBleeding', 'BleedToDeath',
        'OnlineStatTracking', 'RetreatEnable', 'RetreatRespawn', 'RetreatSpawnCost',
        'Pure',
    ]),
    ('Advanced2', [
        'AbleGroupName', 'BakerGroupName', 'AttackerAdvanceDelay', 'EffectsController',
        'AimAssistZoom', 'AimAssistZoomTime', 'FFAAlliedPistol', 'FFAMaxHealth',
        'LargePlayerCount', 'PostRoundWaitTime', 'UseHagInitialBulletCount', 'SecondsLeftInMatch',
        'WaitForTransitionFlag', 'IncapacitatedMaxHealth', 'InvertObjectiveNumbers',
    ]),
    ('Team', [
        'TeamKillWarning', 'TeamKillWarnings', 'TeamKillKick', 'KickDuration',
        'InactiveKick', 'WarmUpInterval', 'VoteMajority', 'RespawnInterval',
        'BodyTimeMax', 'BodyTimeMin', 'CorpsmanAttentionDist', 'CorpsmanHealAmount',
        'CorpsmanHealTime', 'CorpsmanMaxMorphine', 'CorpsmanMaxSulfa', 'CorpsmanReviveTime',
        'EngineerDisarmExplSpeedup', 'EngineerMaxExplosives', 'EngineerPlantExplSpeedup', 'PlayerSpawn',
        'AutoBalance', 'DisableClasses', 'EnableVoting', 'DoWarmup',
        'PeaceWarmup',
    ]),
    ('Limits', [
        'InfantryLimit', 'CorpsmanLimit', 'EngineerLimit', 'AmmoTechLimit',
        'CloseRangeLimit', 'RiflesLimit', 'SubMachineGunsLimit', 'MachineGunsLimit',
        'SniperRiflesLimit', 'ConnectionRestriction', 'SpawnPoolSizeRestriction', 'KickRestriction',
        'MinTeamBonus', 'MaxTeamBonus', 'MinKills', 'MaxKills',
        'MinTeamOnline', 'MaxTeamOnline', 'AlliedFrags', 'AxisFrags',
        'AllowAllSkins',
    ]),
    ('Maps', [
        'MapName', 'MapRotationList',
    ]),
    ('Weapons', [
        'AmmoBoxesCountInit', 'AmmoBoxesCountMax', 'ArtilleryAmmoTime', 'ArtilleryInternalAmmo',
        'MGAmmoTime', 'MGInternalAmmo', 'PistolAmmoInit', 'PistolAmmoMax',
        'RifleAmmoInit', 'RifleAmmoMax', 'SMGAmmoInit', 'SMGAmmoMax',
        'MGCoolRate', 'MGHeatRate', 'MGJamTime', 'MGMaxHealth',
        'MGSupplyCount', 'MGSupplyMaxCount', 'MGSupplySize', 'MGUserDistance',
        'CornucopiaAmmo', 'FullRestockAmmo', 'ViewKickMultiplier', 'ClientTracer',
    ]),
    ('Explosives', [
        'ArtilleryMaxHealth', 'ArtillerySupportCount', 'ArtillerySupplyMaxCount', 'ArtillerySupplySize',
        'ExplosivesArmTime', 'ExplosivesDamage', 'ExplosivesDisarmTime', 'ExplosivesFuseTime',
        'ExplosivesRadius', 'GrenadeCountInit', 'GrenadeCountMax', 'LandmineDefuseTime',
        'LandmineDefuseTimeEngineer', 'LandmineMaxSpotDistance', 'LandmineSpotMultCrouch', 'LandmineSpotMultProne',
        'LandmineSpotMultStand', 'LandmineSpottingNarrowness', 'LandminesCountInit', 'LandminesCountMax',
        'SatchelChargesCountInit', 'SatchelChargesCountMax', 'GrenadesAllowed', 'LandminesAllowed',
        'SatchelChargesAllowed',
    ]),
    ('Mods', [
        'ModuleUseList', 'NoHealth', 'NoArmor', 'NoPowerups',
        'InstantItems',
    ]),
]

# ---- server.cfg entries: (comment block, value line, field), section by section
BASIC = [
    ("// Server Name\n// Name that will appear on the server browser\n",
     "sv_hostname \"%s\"\n", 'ServerName'),
    ("\n// Password\n// Allows you to set a password for the server\n",
     "set password \"%s\"\n", 'ServerPassword'),
    ("\n// Max Players\n",
     "set sv_maxclients %d\n", 'MaxPlayers'),
    ("\n// Time Limit\n// This sets the elapsed time at which the game ends, the winner being the player with the highest score at that time.\n",
     "set timelimit %d\n", 'TimeLimit'),
    ("\n// Frag Limit\n// The score at which the player or team will win the current map\n",
     "set fraglimit %d\n", 'FragLimit'),
    ("\n// Welcome message\n// Will show up on the client when they join the server\n",
     "set g_motd \"%s\"\n", 'WelcomeMessage'),
    ("\n// Game Type\n// 1 Free for All\n// 2 TeamDeathMatch\n// 6 Invader\n",
     "set g_gametype %d\n", 'GameType'),
    ("\n// Heal Rate\n// Determines how fast players heal when they use a health pickup\n",
     "set g_healrate 0\n", 'HealRate'),
    ("\n// Health Drop\n// When enabled players will drop a health pack when killed\n",
     "set dm_classesDeathDropHealth %d\n", 'HealthDrop'),
    ("\n// Backpack Drop\n// When enabled players will drop their backpack when killed\n",
     "set dm_classesDeathDropBackpack %d\n", 'BackpackDrop'),
    ("\n// Weapon Drop\n// When enabled players will drop their weapon when killed\n",
     "set dm_deathDropWeapon %d\n", 'WeaponDrop'),
    ("\n// Realism\n// Toggles reaslistic mode\n",
     "set g_realismmode %d\n", 'RealisticMode'),
    ("\n// Fast Run Speed\n// When checked, the speed at which players can run through levels is increased. \n// Leaving it unchecked defaults to Orvane's original run speed\n",
     "set sv_runspeed %d\n", 'FastRunSpeed'),
    ("\n// Team Damage\n// Toggles friendly fire\n",
     "set dm_teamdamage %d\n", 'FriendlyFire'),
    ("\n// Infinite Ammo\n// Toggles the unlimited ammo setting\n",
     "set g_unlimitedammo %d\n", 'InfiniteAmmo'),
    ("\n// GameSpy\n// When set to one, creates a community server available through GameSpy\n",
     "set sv_communitypublic %d\n", 'GameSpy'),
]
ADVANCED = [
    ("\n// Additional Settings\n// An editable field where you can write out custom options.\n",
     "%s\n", 'AdditionalOptions'),
    ("\n// Inactive Spectate\n// This sets the time in seconds after which an inactive player becomes a spectator. To save server bandwidth, 60 seconds is default.\n",
     "set g_inactivespectate %d\n", 'InactiveSpectate'),
    ("\n// Map duration\n// This sets the amount of play time on this map.\n",
     "set g_tempmaptime %d\n", 'MapDuration'),
    ("\n// Spawn delay\n// This sets how long it'll take foir the players to spawn.\n",
     "g_respawn_time %f\n", 'SpawnDelay'),
    ("\n// Invulnerable Time\n// Amount of time a player is invulnerable for after spawning\n",
     "set sv_invulnerabletime %d\n", 'Invicibitlity'),
    ("\n// INFO Threshold\n// If >0 then limits amount of server INFO packets to send out per second\n",
     "set dm_infoThreshhold %d\n", 'InfoThreshold'),
    ("\n// STATUS Threshold\n// If >0 then limits amount of server STATUS packets to send out per second\n",
     "set dm_statusThreshhold %d\n", 'StatThreshold'),
    ("\n// Max Rag Dolls\n// The number of bodies that will use the rag doll physics\n",
     "set dm_maxragdolls %d\n", 'MaxRagDolls'),
    ("\n// DM Speed Mult\n// How much faster than single player the multiplayer players run\n",
     "set sv_dmspeedmult %f\n", 'DMSpeedMultiplier'),
    ("\n// Mute Spectators\n// Prevents spectators from joining in the chat\n",
     "set g_spectate_allow_full_chat %d\n", 'MuteSpectators'),
    ("\n// Enable Punkbuster\n// Turns on punkbuster requirements for the server\n",
     "set punkbuster %d\n", 'EnablePunkBuster'),
    ("\n// Show Enemy Names\n// Show the names of the enemies when your looking at them\n",
     "set g_showlookat %d\n", 'ShowEnemyNames'),
    ("\n// Bleed To Death\n// Allow the players to bleed to deathy when the take aggrivated wounds\n",
     "set dm_bleedtodeath %d\n", 'BleedToDeath'),
    ("\n// Disable Bleeding \n// Show the bleeding of the players in multiplayer\n",
     "set sv_disablebleeding %d\n", 'DisableBleeding'),
    ("\n// Online Stat Tracking\n// Connects to the stats tracking server to track your games\n",
     "set sv_communitystats %d\n", 'OnlineStatTracking'),
    ("\n// Enable retreating\n// Indicates if the server supports the defender fall back function\n",
     "set g_retreat_enable %d\n", 'RetreatEnable'),
    ("\n// Retreat respawn\n// If true respawn defenders with full weapons/ammo/health\n",
     "set g_retreat_respawn %d\n", 'RetreatRespawn'),
    ("\n// Retreat cost\n// If true then accepting retreat use icon costs defenders a spawn\n",
     "set g_retreat_cost %d\n", 'RetreatSpawnCost'),
    ("\n// Retreat time\n// How long the retreat use icon will remain after an objective is lost\n",
     "set g_retreat_time %f\n", 'RetreatTime'),
    ("\n// Retreat Delay\n// How long after hitting use icon that the player actually retreats\n",
     "set g_retreat_delay %f\n", 'RetreatDelay'),
    ("\n// Pure\n// When set to 1, the client and server must match. This is pure\n",
     "set sv_pure %d\n", 'Pure'),
]
ADVANCED2 = [
    ("\n// Able Group Name\n// The name of the \"able\" group\n",
     "set sv_ablegroupname \"%s\"\n", 'AbleGroupName'),
    ("\n// Baker Group Name\n// The name of the \"baker\" group\n",
     "set sv_bakergroupname \"%s\"\n", 'BakerGroupName'),
    ("\n// Attacker Advance Delay\n// Stalls the attac king advance at the beggining of the match\n",
     "set dm_attackerAdvanceDelay %f\n", 'AttackerAdvanceDelay'),
    ("\n// Effects Controller\n// A \"1\" in this field indicates that all ambience is on, and a \"0\" indicates ambience\n" + "// is off and bandwidth is conserved.\n",
     "set dm_effectscontroller %d\n", 'EffectsController'),
    ("\n// Aim assist zoom\n// The amount of zoom on an aim assist\n",
     "set dm_aimassistZoom %d\n", 'AimAssistZoom'),
    ("\n// Aim assist zoom time\n// The delay before it the aim assist activates\n",
     "set dm_aimassistZoomTime %f\n", 'AimAssistZoomTime'),
    ("\n// FFA Allied Pistol\n// Free For All Allied pistol setting\n",
     "set dm_ffaAlliedPistol %d\n", 'FFAAlliedPistol'),
    ("\n// FFA Max Health\n// Free For All health cap\n",
     "set dm_ffaMaxHealth %d\n", 'FFAMaxHealth'),
    ("\n// Large Player Count\n// The large players setting\n",
     "set dm_largePlayerCount %d\n", 'LargePlayerCount'),
    ("\n// Post Round Wait Time\n// Number of seconds to wait after round ends\n",
     "set dm_postroundwaittime %f\n", 'PostRoundWaitTime'),
    ("\n// Use Hag Initial Bullet Count\n// If zero then use dm_*_ammo_init cvars instead of HAGs to determine initial weapon loads\n",
     "set dm_useHagInitialBulletCount %d\n", 'UseHagInitialBulletCount'),
    ("\n// Seconds Left In Match \n// Sets the countdown seconds for the match\n",
     "set dm_secondsLeftInMatch %d\n", 'SecondsLeftInMatch'),
    ("\n// Wait For Transition Flag\n// The delay when waiting for the transition flag\n",
     "set dm_waitfortransitionflag %d\n", 'WaitForTransitionFlag'),
    ("\n// Incapacitated Max Health\n// The maximum amount of health allowable when incapacitated\n",
     "set dm_incapacitatedMaxHealth %f\n", 'IncapacitatedMaxHealth'),
]
TEAM = [
    ("\n// Team Kill Warning\n// Warning message sent to the player for team killing\n",
     "set g_teamkillwarn_message \"%s\"\n", 'TeamKillWarning'),
    ("\n// Team Kill Warnings\n// Number of warnings before being banned\n",
     "set g_teamkillwarn \"%d\"\n", 'TeamKillWarnings'),
    ("\n// Team Kill Kick\n// Amount of team kills before the player is kicked off the server.\n",
     "set g_teamkillkick %d\n", 'TeamKillKick'),
    ("\n// Kick Duration\n// The amount of time before a team killer is allowed back onto the server\n",
     "set g_teamkillbanduration %d\n", 'KickDuration'),
    ("\n// Inactive Kick\n// This sets the time in seconds after which an inactive player is kicked out of the game. 900 (15 minutes) seconds is default.\n",
     "set g_inactivekick %d\n", 'InactiveKick'),
    ("\n// Warm-Up Interval\n// the amount of time spent in the warm-up mode\n",
     "set g_warmup %d\n", 'WarmUpInterval'),
    ("\n// Respawn Interval\n// Delay before the player respawns\n",
     "set g_respawn_time %d\n", 'RespawnInterval'),
    ("\n// Vote Majority\n// Sets the majority required for a vote to pass\n",
     "set dm_votemajority %d\n", 'VoteMajority'),
    ("\n// Body Time Max\n// The maximum amount of time to rag doll a body\n",
     "set dm_bodytime_max %f\n", 'BodyTimeMax'),
    ("\n// Body Time Min\n// The minimum amount of time to rag doll a body\n",
     "set dm_bodytime_min %f\n", 'BodyTimeMin'),
    ("\n// Corpsman Attention Dist\n// The distance before the corpsman attention is enabled\n",
     "set dm_corpsmanAttentionDist %d\n", 'CorpsmanAttentionDist'),
    ("\n// Corpsman Heal Amount\n// The healing power of the corpsman\n",
     "set dm_corpsmanHealAmount %d\n", 'CorpsmanHealAmount'),
    ("\n// Corpsman Heal Time\n// the time it takes for the corpsman to heal\n",
     "set dm_corpsmanHealTime %f\n", 'CorpsmanHealTime'),
    ("\n// Corpsman Max Morphine\n// The maximum amount of morphine the corpsman can carry\n",
     "set dm_corpsmanMaxMorphine %d\n", 'CorpsmanMaxMorphine'),
    ("\n// Corpsman Max Sulfa\n// The maximum amount of sulfa the corpsman can carry\n",
     "set dm_corpsmanMaxSulfa %d\n", 'CorpsmanMaxSulfa'),
    ("\n// Corpsman Revive Time\n// The delay before the corpsman can revive\n",
     "set dm_corpsmanReviveTime %f\n", 'CorpsmanReviveTime'),
    ("\n// Engineer Disarm Expl Speedup\n// SpeedUp for the engineer to disarm explosives\n",
     "set dm_engineerDisarmExplSpeedup %f\n", 'EngineerDisarmExplSpeedup'),
    ("\n// Engineer Max Explosives\n// The maximum number of explosives the engineer can carry\n",
     "set dm_engineerMaxExplosives %d\n", 'EngineerMaxExplosives'),
    ("\n// Engineer Plant Expl Speedup\n// SpeedUp for the engineer to plant explosives\n",
     "set dm_engineerPlantExplSpeedup %f\n", 'EngineerPlantExplSpeedup'),
    ("\n// Player Spawn Method\n// Spawn hueristics\n",
     "set dm_playerspawn_method \"%s\"\n", 'PlayerSpawn'),
    ("\n// Auto Balance\n// Auto balances the teams\n" + "//    0        - normal\n" + "//    1        - force you when you enter the game\n" + "//    3        - force you when you die (balancing if people leave the server mid game)\n",
     "set g_teamautobalance %d\n", 'AutoBalance'),
    ("\n// Disable classes in Team Deathmatch\n",
     "set dm_combatclassesenabled %d\n", 'DisableClasses'),
    ("\n// Enable voting in games\n",
     "set g_allowvote %d\n", 'EnableVoting'),
    ("\n// Do Warmup\n// If zero there won't be a warmup infront of invader games\n",
     "set g_doWarmup %d\n", 'DoWarmup'),
    ("\n// Peace Warmup\n// If zero them players can kill each other durring warmup\n",
     "set g_peace_warmup %d\n", 'PeaceWarmup'),
    ("\n// Invert Objective Numbers\n",
     "set g_invobjno %d\n", 'InvertObjectiveNumbers'),
]
LIMITS = [
    ("\n// Infantry Limits\n",
     "set sv_restrict_infantry %d\n", 'InfantryLimit'),
    ("\n// Corpsman Limits\n",
     "set sv_restrict_corpsman %d\n", 'CorpsmanLimit'),
    ("\n// Engineer Limits\n",
     "set sv_restrict_engineer %d\n", 'EngineerLimit'),
    ("\n// Ammo Tech Limits\n",
     "set sv_restrict_ammotech %d\n", 'AmmoTechLimit'),
    ("\n// Close Range Limits\n",
     "set sv_restrict_closerange %d\n", 'CloseRangeLimit'),
    ("\n// Rifles Limits\n",
     "set sv_restrict_rifle %d\n", 'RiflesLimit'),
    ("\n// Sub Machine Guns Limits\n",
     "set sv_restrict_smg %d\n", 'SubMachineGunsLimit'),
    ("\n// Machine Guns Limits\n",
     "set sv_restrict_mg %d\n", 'MachineGunsLimit'),
    ("\n// Sniper Rifles Limits\n",
     "set sv_restrict_sniperrifle %d\n", 'SniperRiflesLimit'),
    ("\n// Connection Restriction\n// Limits the ping times to prevent the server from getting overburdened\n",
     "set sv_pingrestrict %d\n", 'ConnectionRestriction'),
    ("\n// Spawn Pool Size\n// Number of lives in spawnpool. If <=0 then it" + "s 6x number of players at start, otherwise it" + "s the multiple\n",
     "set g_spawnmultiple %d\n", 'SpawnPoolSizeRestriction'),
    ("\n// Kick Restrictions\n",
     "set sv_kickrestrict %d\n", 'KickRestriction'),
    ("\n// Min Team bonus\n",
     "set sv_minteambonus %d\n", 'MinTeamBonus'),
    ("\n// Max Team bonus\n",
     "set sv_maxteambonus %d\n", 'MaxTeamBonus'),
    ("\n// Min Kills\n",
     "set sv_minkills %d\n", 'MinKills'),
    ("\n// Max Kills\n",
     "set sv_maxkills %d\n", 'MaxKills'),
    ("\n// Min Team Online\n",
     "set sv_mintimeonline %d\n", 'MinTeamOnline'),
    ("\n// Max Team Online\n",
     "set sv_maxtimeonline %d\n", 'MaxTeamOnline'),
    ("\n// Allied Frags\n// The cap on the number of allied frags before the round is over\n",
     "set dm_alliesFrags %d\n", 'AlliedFrags'),
    ("\n// Axis Frags\n// The cap on the number of axis frags before the round is over\n",
     "set dm_axisFrags %d\n", 'AxisFrags'),
    ("\n// Allow all skins\n// All the hag files in models/characters/player/." + "\n//\tDon't include the \".hag\" in this cvar. \"All\" means that any skin is allowed.\n",
     None, 'AllowAllSkins'),
]
WEAPONS = [
    ("\n// Ammo Boxes Count Init\n// Initial amount  of ammo in the ammo boxes\n",
     "set dm_ammoboxes_count_init %d\n", 'AmmoBoxesCountInit'),
    ("\n// Ammo Boxes Count Max\n// Maximum amount of ammo found\n",
     "set dm_ammoboxes_count_max %d\n", 'AmmoBoxesCountMax'),
    ("\n// Artillery Ammo Time\n// The amount of time before the artillery ammo respawns\n",
     "set dm_artilleryAmmoTime %f\n", 'ArtilleryAmmoTime'),
    ("\n// Artillery Internal Ammo\n// The internal amount of ammo the artillery guns can hold\n",
     "set dm_artilleryInternalAmmo %d\n", 'ArtilleryInternalAmmo'),
    ("\n// MG Ammo Time\n// The amount of time before the MG ammo respawns\n",
     "set dm_mgAmmoTime %f\n", 'MGAmmoTime'),
    ("\n// MG Internal Ammo\n// The internal amount of ammo the MG guns can hold\n",
     "set dm_mgInternalAmmo %d\n", 'MGInternalAmmo'),
    ("\n// Pistol Ammo Init\n// Your initial pistol ammo\n",
     "set dm_pistol_ammo_init %d\n", 'PistolAmmoInit'),
    ("\n// Pistol Ammo Max\n// The maximum amount of ammo in a pistol\n",
     "set dm_pistol_ammo_max %d\n", 'PistolAmmoMax'),
    ("\n// Rifle Ammo Init\n// Your initial rifle ammo\n",
     "set dm_rifle_ammo_init %d\n", 'RifleAmmoInit'),
    ("\n// Rifle Ammo Max\n// he maximum amount of ammo in a rifle\n",
     "set dm_rifle_ammo_max %d\n", 'RifleAmmoMax'),
    ("\n// SMG Ammo Init\n// Your SMG pistol ammo\n",
     "set dm_smg_ammo_init %d\n", 'SMGAmmoInit'),
    ("\n// SMG Ammo Max\n// he maximum amount of ammo in a SMG\n",
     "set dm_smg_ammo_max %d\n", 'SMGAmmoMax'),
    ("\n// MG Cool Rate\n",
     "set dm_mgCoolRate %f\n", 'MGCoolRate'),
    ("\n// MG Heat Rate\n",
     "set dm_mgHeatRate %f\n", 'MGHeatRate'),
    ("\n// MG Jam Time\n",
     "set dm_mgJamTime %f\n", 'MGJamTime'),
    ("\n// MG Max Health\n",
     "set dm_mgMaxHealth %d\n", 'MGMaxHealth'),
    ("\n// MG Supply Count\n",
     "set dm_mgSupplyCount %d\n", 'MGSupplyCount'),
    ("\n// MG Supply Max Count\n",
     "set dm_mgSupplyMaxCount %d\n", 'MGSupplyMaxCount'),
    ("\n// MG Supply Size\n",
     "set dm_mgSupplySize %d\n", 'MGSupplySize'),
    ("\n// MG User Distance\n// The distance the user needs to be before operating the MG\n",
     "set dm_mgUserDistance %d\n", 'MGUserDistance'),
    ("\n// Cornucopia Ammo\n// if zero then ammoboxes only refill weapon in hand, not all weapons in inventory\n",
     "set dm_cornucopiaAmmo %d\n", 'CornucopiaAmmo'),
    ("\n// Full Restock Ammo\n// If zero then only a partial restock of ammo happens when running over ammoboxes\n",
     "set dm_fullRestockAmmo %d\n", 'FullRestockAmmo'),
    ("\n// ViewKickMultiplier\n// A value of 1.0 will make the kick in multiplayer the same as that in singleplayer.\n",
     "set dm_dmviewkickmult %f\n", 'ViewKickMultiplier'),
    ("\n// ClientTracer\n// When set to 0, all tracer and bullet poof information is transmitted in the traditional\n" + "// way, over the wire, for each shot. This has a slightly higher degree of realism in some rare situations,\n" + "// but normally should be avoided as it comes with a higher network cost. The default value of 2 grants more\n" + "// network optimizations and is preferred. Although 1 is a valid option, it should never be used as it costs\n" + "// even more than option 0 as far as performance, yet is less realistic than 0.\n",
     "set sv_clienttracer %d\n", 'ClientTracer'),
]
EXPLOSIVES = [
    ("\n// Artillery Max Health\n",
     "set dm_artilleryMaxHealth %d\n", 'ArtilleryMaxHealth'),
    ("\n// Artillery Support count\n",
     "set dm_artillerySupplyCount %d\n", 'ArtillerySupportCount'),
    ("\n// Artillery supply max count\n",
     "set dm_artillerySupplyMaxCount %d\n", 'ArtillerySupplyMaxCount'),
    ("\n// Artillery Supply Size\n",
     "set dm_artillerySupplySize %d\n", 'ArtillerySupplySize'),
    ("\n// Explosives Arm Time\n",
     "set dm_explosivesArmTime %f\n", 'ExplosivesArmTime'),
    ("\n// Explosives Damage\n\n",
     "set dm_explosivesDamage %d\n", 'ExplosivesDamage'),
    ("\n// Explosives Disarm Time\n",
     "set dm_explosivesDisarmTime %f\n", 'ExplosivesDisarmTime'),
    ("\n// Explosives Fuse Time\n",
     "set dm_explosivesFuseTime %f\n", 'ExplosivesFuseTime'),
    ("\n// Explosives Radius\n",
     "set dm_explosivesRadius %d\n", 'ExplosivesRadius'),
    ("\n// Grenade Count Init\n",
     "set dm_grenade_count_init %d\n", 'GrenadeCountInit'),
    ("\n// Grenade Count Max\n",
     "set dm_grenade_count_max %d\n", 'GrenadeCountMax'),
    ("\n// Landmine Defuse Time\n",
     "set dm_landmineDefuseTime %f\n", 'LandmineDefuseTime'),
    ("\n// Landmine Defuse Time Engineer\n",
     "set dm_landmineDefuseTimeEngineer %f\n", 'LandmineDefuseTimeEngineer'),
    ("\n// Landmine Max Spot Distance\n",
     "set dm_landmineMaxSpotDistance %d\n", 'LandmineMaxSpotDistance'),
    ("\n// Landmine Spot Mult Crouch\n",
     "set dm_landmineSpotMultCrouch %f\n", 'LandmineSpotMultCrouch'),
    ("\n// Landmine Spot Mult Prone\n",
     "set dm_landmineSpotMultProne %f\n", 'LandmineSpotMultProne'),
    ("\n// Landmine Spot Mult Stand\n",
     "set dm_landmineSpotMultStand %f\n", 'LandmineSpotMultStand'),
    ("\n// Landmine Spotting Narrowness\n",
     "set dm_landmineSpottingNarrowness %f\n", 'LandmineSpottingNarrowness'),
    ("\n// Landmines Count Init\n",
     "set dm_landmines_count_init %d\n", 'LandminesCountInit'),
    ("\n// Landmines Count Max\n",
     "set dm_landmines_count_max %d\n", 'LandminesCountMax'),
    ("\n// Satchelcharges Count Init\n",
     "set dm_satchelcharges_count_init %d\n", 'SatchelChargesCountInit'),
    ("\n// Satchelcharges Count Max\n",
     "set dm_satchelcharges_count_max %d\n", 'SatchelChargesCountMax'),
    ("\n// Grenades Allowed\n// If zero then no grenades handed out when game starts\n",
     "set dm_grenadesAllowed %d\n", 'GrenadesAllowed'),
    ("\n// Landmines Allowed\n// If zero then no landmines handed out when game starts\n",
     "set dm_landminesAllowed %d\n", 'LandminesAllowed'),
    ("\n// Satchel Charges Allowed\n// If zero then no satchel charges handed out when game starts\n",
     "set dm_satchelChargesAllowed %d\n", 'SatchelChargesAllowed'),
]

# The two apostrophes of the Spawn Pool Size comment are byte 0x92.
LIMITS[10] = (LIMITS[10][0].replace("its 6x", "it\x92s 6x").replace("its the", "it\x92s the"),
              LIMITS[10][1], LIMITS[10][2])
assert LIMITS[10][0].count("\x92") == 2

OPTIONAL = {
    "FFAAlliedPistol", "AmmoBoxesCountInit", "AmmoBoxesCountMax", "PistolAmmoInit", "PistolAmmoMax",
    "RifleAmmoInit", "RifleAmmoMax", "SMGAmmoInit", "SMGAmmoMax", "GrenadeCountInit", "GrenadeCountMax",
    "LandminesCountInit", "LandminesCountMax", "SatchelChargesCountInit", "SatchelChargesCountMax",
}
INVERTED = {"MuteSpectators", "DisableClasses"}
GAME_TYPE_NUMBER = {0: 1, 1: 2, 2: 6}
HEAL_RATE = {0: 0, 1: 5, 2: 10, 3: 20}
SPAWN_METHOD = {1: "random", 2: "farthest", 3: "team", 4: "notvisible", 5: "closest", 6: "group",
                7: "notfacing", 8: "bufferedclose"}
AUTO_BALANCE = {0: 0, 1: 1, 2: 3}
SKINS = {
    1: ['set sv_allowed_allied_skins "all"\n', 'set sv_allowed_axis_skins "all"\n'],
    2: ['set sv_allowed_allied_skins "allied_marine1_MP allied_marine2_MP allied_marine3_MP allied_marine4_MP"\n',
        'set sv_allowed_axis_skins "axis_marineofficer_MP axis_marinenco_MP axis_marineinfantry_MP axis_marinegilly_MP"\n'],
}
DM_FLAGS = [
    ("//    DF_NO_HEALTH          0x%x \n", 0x1, "NoHealth"),
    ("//    DF_NO_POWERUPS        0x%x \n", 0x2, "NoPowerups"),
    ("//    DF_WEAPONS_STAY       0x%x \n", 0x4, "WeaponStay"),
    ("//    DF_NO_FALLING         0x%x \n", 0x8, "NoFallingDamage"),
    ("//    DF_INSTANT_ITEMS      0x%x \n", 0x10, "InstantItems"),
    ("//    DF_NO_ARMOR\t\t\t0x%x \n", 0x800, "NoArmor"),
    ("//    DF_NO_FOOTSTEPS       0x%x \n", 0x20000, "NoFootsteps"),
    ("//    DF_ALLOW_LEAN         0x%x \n", 0x40000, "AllowLean"),
]
KINDS = {name: kind for name, kind, _ in FIELDS}


def f32(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def value_lines(field, line, s):
    v = s[field]
    if field == "GameType":
        return [line % GAME_TYPE_NUMBER[v]] if v in GAME_TYPE_NUMBER else []
    if field == "HealRate":
        return ["set g_healrate %d\n" % HEAL_RATE[v]] if v in HEAL_RATE else []
    if field == "HealthDrop":
        cvar = "dm_classesDeathDropHealth" if s["GameType"] != 0 and s["DisableClasses"] else "g_healthdrop"
        return ["set %s %d\n" % (cvar, int(v))]
    if field == "FastRunSpeed":
        return [line % (267 if v else 230)]
    if field == "PlayerSpawn":
        return [line % SPAWN_METHOD[v]] if v in SPAWN_METHOD else []
    if field == "AutoBalance":
        return [line % AUTO_BALANCE[v]] if v in AUTO_BALANCE else []
    if field == "AllowAllSkins":
        return SKINS.get(v, [])
    if field in INVERTED:
        return [line % (0 if v else 1)]
    if field in OPTIONAL and v < 0:
        return []
    kind = KINDS[field]
    if kind == "float":
        return [line % f32(v)]
    if kind == "bool":
        return [line % (1 if v else 0)]
    return [line % v]


def rotation_pairs(text):
    tokens = text.split()
    return [(tokens[i], tokens[i + 1] if i + 1 < len(tokens) else "0") for i in range(0, len(tokens), 2)]


def server_cfg(s):
    out = []
    for table in (BASIC, ADVANCED, ADVANCED2, TEAM, LIMITS):
        for comment, line, field in table:
            out.append(comment)
            out.extend(value_lines(field, line, s))
    pairs = rotation_pairs(s["MapRotationList"])
    start = s["MapName"] or (pairs[0][0] if pairs else "")
    if start:
        out.append("\n// Map\n// Starting map on the rotation.\n")
        out.append('map "%s"\n' % start)
    if pairs:
        prefix = "%d " % GAME_TYPE_NUMBER[s["GameType"]] if s["GameType"] in GAME_TYPE_NUMBER else ""
        value = "".join(prefix + name + ";" + ("TeamSwap;" if mark == "1" else "") for name, mark in pairs)
        out.append("\n// Map Rotation List\n")
        out.append('sv_maplist "%s"\n' % value)
    for table in (WEAPONS, EXPLOSIVES):
        for comment, line, field in table:
            out.append(comment)
            out.extend(value_lines(field, line, s))
    out.append("\n// Death match flags\n")
    mask = 0
    for comment, bit, field in DM_FLAGS:
        out.append(comment % bit)
        if s[field]:
            mask |= bit
    out.append("set dmflags %d\n" % mask)
    # Text mode on Windows: every LF reaches the disk as CR LF.
    return "".join(out).replace("\n", "\r\n").encode("latin-1")


def settings_ini(s):
    out = []
    for section, keys in SETTINGS_FILE:
        out.append("[%s]\r\n" % section)
        for key in keys:
            v = s[key]
            kind = KINDS[key]
            if kind == "text":
                text = v.replace("\\", "\\\\").replace("\r\n", "\\n")
                if text and (text[0] in " \t\"'" or text[-1] in " \t\"'"):
                    text = '"' + text + '"'
            elif kind == "int":
                text = "%d" % v
            elif kind == "float":
                text = "%f" % f32(v)
            else:
                text = "1" if v else "0"
            out.append("%s=%s\r\n" % (key, text))
    return "".join(out).encode("latin-1")


def unescape(text):
    return re.sub(r"\\(x[0-9A-Fa-f]{2}|.)",
                  lambda m: {"r": "\r", "n": "\n", "t": "\t", "\\": "\\"}.get(m.group(1))
                  or chr(int(m.group(1)[1:], 16)), text)


def read_cases(path):
    cases = []
    for raw in open(path, encoding="latin-1"):
        line = raw.rstrip("\r\n")
        if not line or line.startswith("#"):
            continue
        m = re.match(r"^\[([\w-]+)\]$", line)
        if m:
            cases.append((m.group(1), {}))
            continue
        field, value = line.split("=", 1)
        kind = KINDS[field]
        if kind == "text":
            cases[-1][1][field] = unescape(value)
        elif kind == "int":
            cases[-1][1][field] = int(value)
        elif kind == "float":
            cases[-1][1][field] = float(value)
        else:
            cases[-1][1][field] = value == "1"
    return cases


CFGDIFF_HEADER = (
    b"# Each case's server.cfg as its lines that differ from default.cfg, written\n"
    b"# by make_golden.py. Under [case], \"@ N K\" replaces the K lines that start at\n"
    b"# line N of default.cfg (N from 1) with the \"+\" lines that follow. Lines are\n"
    b"# separated by LF here and by CR LF in server.cfg; a line may hold a lone CR.\n")


def line_delta(base, case):
    """The hunks that turn base into case, both split at CR LF."""
    a = base.split(b"\r\n")
    b = case.split(b"\r\n")
    out = b""
    matcher = difflib.SequenceMatcher(a=a, b=b, autojunk=False)
    for tag, i1, i2, j1, j2 in matcher.get_opcodes():
        if tag == "equal":
            continue
        out += b"@ %d %d\n" % (i1 + 1, i2 - i1)
        for line in b[j1:j2]:
            assert b"\n" not in line
            out += b"+" + line + b"\n"
    return out


def main():
    assert len(FIELDS) == 158
    assert sum(len(keys) for _, keys in SETTINGS_FILE) == 158
    defaults = {name: value for name, _, value in FIELDS}
    default_cfg = server_cfg(defaults)
    deltas = []
    for name, overrides in read_cases(os.path.join(HERE, "cases.txt")):
        settings = dict(defaults)
        settings.update(overrides)
        if name == "default":
            assert not overrides
            continue
        deltas.append(b"[" + name.encode() + b"]\n" + line_delta(default_cfg, server_cfg(settings)))
    with open(os.path.join(HERE, "default.cfg"), "wb") as f:
        f.write(default_cfg)
    with open(os.path.join(HERE, "cases.cfgdiff"), "wb") as f:
        f.write(CFGDIFF_HEADER + b"".join(deltas))
    with open(os.path.join(HERE, "default_settings.ini"), "wb") as f:
        f.write(settings_ini(defaults))


if __name__ == "__main__":
    main()
