// The program's string table: every text the operator sees that does not
// come from the settings record or from the disk. This list is the one copy
// of those texts: strings.rc expands it into the STRINGTABLE resource of the
// Windows build, and the native build looks the same entries up directly.
//
// SERVOLT_UI_TEXTS(X) expands X(NAME, id, "text") for each entry; code,
// page tables and resource scripts use the NAME. Ids run 1 to 227 without
// gaps, plus 1185 (the Team page label whose control id is 1185). Ids 47,
// 56, 57, 65, 145 and 218 are never loaded but belong to the table.
// The list is one macro because the resource compiler keeps only the
// preprocessor definitions of an included header; for the same reason the
// build writes the names as #defines into ui_text_ids.h (cmake/ui_text_ids.cmake),
// which resource scripts include.
#ifndef SERVOLT_UI_TEXTS_H
#define SERVOLT_UI_TEXTS_H

#define SERVOLT_UI_TEXTS(X) \
    X(IDS_APP_TITLE, 1, "Vantrel(tm) Server Launch Utility") \
    X(IDS_NO_MAP_TEXT, 2, "A map has not been selected in the use maps or the rotation list. If you continue by selecting OK, you will need to specify the map after the server starts.\r\n\r\nConsole map commands:\r\n\tmap <mapname>\r\n\tsv_maplist <maps>") \
    X(IDS_NO_MAP_CAPTION, 3, "Server can not be started") \
    X(IDS_LAUNCH_FAILED_TEXT, 4, "Failed to locate: ") \
    X(IDS_LAUNCH_FAILED_CAPTION, 5, "Can not find server") \
    X(IDS_CONFIG_WRITE_FAILED_TEXT, 6, "Can not write configuration to: ") \
    X(IDS_CONFIG_WRITE_FAILED_CAPTION, 7, "Launch aborted") \
    X(IDS_INI_ERROR_FORMAT, 8, "%s failed with error %d: %s") \
    X(IDS_INI_ERROR_CAPTION, 9, "Error while reading or writing INI") \
    X(IDS_DEFAULT_SERVER_NAME, 10, "Nameless Battle") \
    X(IDS_DEFAULT_TEAM_KILL_WARNING, 11, "MP:DefaultTeamKillWarnMessage") \
    X(IDS_TAB_BASIC, 12, "Basic") \
    X(IDS_TAB_ADVANCED, 13, "Advanced") \
    X(IDS_TAB_ADVANCED2, 14, "Advanced2") \
    X(IDS_TAB_TEAM, 15, "Team") \
    X(IDS_TAB_LIMITS, 16, "Limits/Restrictions") \
    X(IDS_TAB_MAPS, 17, "Maps/Rotation") \
    X(IDS_TAB_WEAPONS, 18, "Weapons/Ammo") \
    X(IDS_TAB_EXPLOSIVES, 19, "Explosives") \
    X(IDS_TAB_MODS, 20, "Mods") \
    X(IDS_NO_PAGE_NAME, 21, "No page name!") \
    X(IDS_GAME_TYPE_FFA, 22, "Free For All") \
    X(IDS_GAME_TYPE_TEAM_DM, 23, "Team Deathmatch") \
    X(IDS_GAME_TYPE_INVADER, 24, "Invader") \
    X(IDS_HEAL_RATE_INSTANT, 25, "Instant") \
    X(IDS_HEAL_RATE_5, 26, "5 secs") \
    X(IDS_HEAL_RATE_10, 27, "10 secs") \
    X(IDS_HEAL_RATE_20, 28, "20 secs") \
    X(IDS_SPAWN_RANDOM, 29, "Random") \
    X(IDS_SPAWN_FARTHEST, 30, "Farthest") \
    X(IDS_SPAWN_TEAM, 31, "Team") \
    X(IDS_SPAWN_NOT_VISIBLE, 32, "Not Visible") \
    X(IDS_SPAWN_CLOSEST, 33, "Closest") \
    X(IDS_SPAWN_GROUP, 34, "Group") \
    X(IDS_LAUNCH_SERVER, 35, "Launch Server") \
    X(IDS_EXIT, 36, "Exit") \
    X(IDS_SAVE_CONFIG, 37, "Save Config") \
    X(IDS_USE_DEFAULTS, 38, "Use Defaults") \
    X(IDS_SERVER_NAME, 39, "Server Name:") \
    X(IDS_GAME_TYPE, 40, "Game Type:") \
    X(IDS_HEAL_RATE, 41, "Heal Rate:") \
    X(IDS_HEALTH_DROP, 42, "Health Drop") \
    X(IDS_FAST_RUN_SPEED, 43, "Fast Run Speed") \
    X(IDS_REALISTIC_MODE, 44, "Realistic Mode") \
    X(IDS_FRIENDLY_FIRE, 45, "Friendly Fire") \
    X(IDS_NO_FALLING_DAMAGE, 46, "No Falling Damage") \
    X(IDS_OLD_STYLE_SNIPER_RIFLE, 47, "Old Style Sniper Rifle") \
    X(IDS_INFINITE_AMMO, 48, "Infinite Ammo") \
    X(IDS_SERVER_PASSWORD, 49, "Server Password:") \
    X(IDS_MAX_PLAYERS, 50, "Max Players:") \
    X(IDS_FRAG_LIMIT, 51, "Frag Limit:") \
    X(IDS_TIME_LIMIT, 52, "Time Limit:") \
    X(IDS_WELCOME_MESSAGE, 53, "Welcome Message:") \
    X(IDS_BACKPACK_DROP, 54, "Backpack Drop") \
    X(IDS_WEAPON_DROP, 55, "Weapon Drop") \
    X(IDS_MAP_ROTATION_TIME, 56, "Map Rotation Time:") \
    X(IDS_ROUND_RESET_TIME, 57, "Round Reset Time:") \
    X(IDS_ADDITIONAL_OPTIONS, 58, "Additional Options:") \
    X(IDS_MAP_DURATION, 59, "Map Duration:") \
    X(IDS_SPAWN_DELAY, 60, "Spawn Delay:") \
    X(IDS_INVINCIBILITY, 61, "Invincibility:") \
    X(IDS_MUTE_SPECTATORS, 62, "Mute Spectators") \
    X(IDS_SHOW_ENEMY_NAMES, 63, "Show Enemy Names") \
    X(IDS_ENABLE_PUNKBUSTER, 64, "Enable PunkBuster(tm)") \
    X(IDS_DISABLE_GAME_TIPS, 65, "Disable Game Tips") \
    X(IDS_INACTIVE_SPECTATE, 66, "Inactive Spectate:") \
    X(IDS_INFO_THRESHOLD, 67, "INFO Threshold:") \
    X(IDS_STAT_THRESHOLD, 68, "STAT Threshold:") \
    X(IDS_BLEED_TO_DEATH, 69, "Bleed To Death") \
    X(IDS_DISABLE_BLEEDING, 70, "Disable Bleeding") \
    X(IDS_ONLINE_STAT_TRACKING, 71, "Online Stat Tracking") \
    X(IDS_MAX_RAG_DOLLS, 72, "Max Rag Dolls:") \
    X(IDS_DM_SPEED_MULTIPLIER, 73, "DM Speed Multiplier:") \
    X(IDS_AUTO_BALANCE_NORMAL, 74, "Normal") \
    X(IDS_BANDWIDTH_OPTIMIZATION, 75, "Bandwidth Optimization:") \
    X(IDS_AIM_ASSIST_ZOOM, 76, "Aim Assist Zoom:") \
    X(IDS_AIM_ASSIST_ZOOM_TIME, 77, "Aim Assist Zoom Time:") \
    X(IDS_FFA_ALLIED_PISTOL, 78, "FFA Allied Pistol:") \
    X(IDS_ATTACKER_ADVANCE_DELAY, 79, "Attacker Advance Delay:") \
    X(IDS_FFA_MAX_HEALTH, 80, "FFA Max Health:") \
    X(IDS_LARGE_PLAYER_COUNT, 81, "Large Player Count:") \
    X(IDS_POST_ROUND_WAIT_TIME, 82, "Post Round Wait Time:") \
    X(IDS_USE_HAG_INITIAL_BULLET_COUNT, 83, "Use Hag Initial Bullet Count:") \
    X(IDS_ABLE_GROUP_NAME, 84, "Able Group Name:") \
    X(IDS_BAKER_GROUP_NAME, 85, "Baker Group Name:") \
    X(IDS_SECONDS_LEFT_IN_MATCH, 86, "Seconds Left In Match:") \
    X(IDS_WAIT_FOR_TRANSITION_FLAG, 87, "Wait For Transition Flag:") \
    X(IDS_INCAPACITATED_MAX_HEALTH, 88, "Incapacitated Max Health:") \
    X(IDS_TEAM_KILL_WARNINGS, 89, "Team Kill Warnings:") \
    X(IDS_DISABLE_CLASSES_IN_TEAM_DM, 90, "Disable Classes In Team DM") \
    X(IDS_TEAM_KILL_KICK, 91, "Team Kill Kick:") \
    X(IDS_KICK_DURATION, 92, "Kick Duration:") \
    X(IDS_AUTO_BALANCE, 93, "Auto Balance") \
    X(IDS_INACTIVE_KICK, 94, "Inactive Kick:") \
    X(IDS_WARM_UP_INTERVAL, 95, "Warm-Up Interval:") \
    X(IDS_RESPAWN_INTERVAL, 96, "Respawn Interval:") \
    X(IDS_VOTE_MAJORITY, 97, "Vote Majority:") \
    X(IDS_BODY_TIME_MAX, 98, "Body Time Max:") \
    X(IDS_BODY_TIME_MIN, 99, "Body Time Min:") \
    X(IDS_CORPSMAN_ATTENTION_DIST, 100, "Corpsman Attention Dist.:") \
    X(IDS_CORPSMAN_HEAL_AMOUNT, 101, "Corpsman Heal Amount:") \
    X(IDS_CORPSMAN_HEAL_TIME, 102, "Corpsman Heal Time:") \
    X(IDS_CORPSMAN_MAX_MORPHINE, 103, "Corpsman Max Morphine:") \
    X(IDS_ENABLE_VOTING, 104, "Enable Voting") \
    X(IDS_DO_WARM_UP, 105, "Do Warm-Up") \
    X(IDS_PEACE_WARM_UP, 106, "Peace Warm-Up") \
    X(IDS_ENG_DISARM_SPEED_UP, 107, "Eng. Disarm Speed Up:") \
    X(IDS_ENG_MAX_EXPLOSIVES, 108, "Eng. Max Explosives:") \
    X(IDS_CORPSMAN_MAX_SULFA, 109, "Corpsman Max Sulfa:") \
    X(IDS_CORPSMAN_REVIVE_TIME, 110, "Corpsman Revive Time:") \
    X(IDS_ENG_PLANT_SPEED_UP, 111, "Eng. Plant Speed Up:") \
    X(IDS_PLAYER_SPAWN, 112, "Player Spawn:") \
    X(IDS_INVERT_OBJECTIVE_NUMBER, 113, "Invert Objective Number") \
    X(IDS_INFANTRY, 114, "Infantry:") \
    X(IDS_CORPSMAN, 115, "Corpsman:") \
    X(IDS_ENGINEER, 116, "Engineer:") \
    X(IDS_AMMO_TECH, 117, "Ammo Tech:") \
    X(IDS_CLOSE_RANGE, 118, "Close Range:") \
    X(IDS_RIFLES, 119, "Rifles:") \
    X(IDS_SUB_MACHINE_GUNS, 120, "Sub Machine Guns:") \
    X(IDS_MACHINE_GUNS, 121, "Machine Guns:") \
    X(IDS_SNIPER_RIFLES, 122, "Sniper Rifles:") \
    X(IDS_CONNECTION_RESTRICTION, 123, "Connection Restriction:") \
    X(IDS_SPAWN_POOL_SIZE, 124, "Spawn Pool Size:") \
    X(IDS_KICK_RESTRICTIONS, 125, "Kick Restrictions:") \
    X(IDS_MIN_TEAM_BONUS, 126, "Min. Team Bonus:") \
    X(IDS_MAX_TEAM_BONUS, 127, "Max Team Bonus:") \
    X(IDS_MIN_KILLS, 128, "Min. Kills:") \
    X(IDS_MAX_KILLS, 129, "Max Kills:") \
    X(IDS_MIN_TEAM_ONLINE, 130, "Min. Team Online:") \
    X(IDS_MAX_TEAM_ONLINE, 131, "Max Team Online:") \
    X(IDS_CLASS_LIMITATIONS, 132, "Class Limitations") \
    X(IDS_RESTRICTIONS, 133, "Restrictions") \
    X(IDS_ALLIED_FRAGS, 134, "Allied Frags:") \
    X(IDS_AXIS_FRAGS, 135, "Axis Frags:") \
    X(IDS_MAPS_FOUND, 136, "Maps") \
    X(IDS_ROTATION, 137, "Rotation") \
    X(IDS_ADD_BUTTON, 138, ">>") \
    X(IDS_REMOVE_BUTTON, 139, "<<") \
    X(IDS_UP_BUTTON, 140, "Up") \
    X(IDS_DOWN_BUTTON, 141, "Down") \
    X(IDS_USE_MAP, 142, "Use Map") \
    X(IDS_MODS_FOUND, 143, "Mods Found") \
    X(IDS_MODS_IN_USE, 144, "Mods In Use") \
    X(IDS_PUSH_PACKAGE_CONTENT, 145, "Push package content onto clients") \
    X(IDS_AMMO_BOX_COUNT_INIT, 146, "Ammo Box Count Init:") \
    X(IDS_AMMO_BOX_COUNT_MAX, 147, "Ammo Box Count Max:") \
    X(IDS_ARTILLERY_AMMO_TIME, 148, "Artillery Ammo Time:") \
    X(IDS_ARTILLERY_INTERNAL_AMMO, 149, "Artillery Internal Ammo:") \
    X(IDS_MG_AMMO_TIME, 150, "MG Ammo Time:") \
    X(IDS_MG_INTERNAL_AMMO, 151, "MG Internal Ammo:") \
    X(IDS_PISTOL_AMMO_INIT, 152, "Pistol Ammo Init:") \
    X(IDS_PISTOL_AMMO_MAX, 153, "Pistol Ammo Max:") \
    X(IDS_MG_COOL_RATE, 154, "MG Cool Rate:") \
    X(IDS_MG_HEAT_RATE, 155, "MG Heat Rate:") \
    X(IDS_MG_JAM_TIME, 156, "MG Jam Time:") \
    X(IDS_MG_MAX_HEALTH, 157, "MG Max Health:") \
    X(IDS_MG_SUPPLY_COUNT, 158, "MG Supply Count:") \
    X(IDS_MG_SUPPLY_MAX, 159, "MG Supply Max:") \
    X(IDS_MG_SUPPLY_SIZE, 160, "MG Supply Size:") \
    X(IDS_MG_USER_DISTANCE, 161, "MG User Distance:") \
    X(IDS_RIFLE_AMMO_INIT, 162, "Rifle Ammo Init:") \
    X(IDS_RIFLE_AMMO_MAX, 163, "Rifle Ammo Max:") \
    X(IDS_SMG_AMMO_INIT, 164, "SMG Ammo Init:") \
    X(IDS_SMG_AMMO_MAX, 165, "SMG Ammo Max:") \
    X(IDS_CORNUCOPIA_AMMO, 166, "Cornucopia Ammo") \
    X(IDS_FULL_RESTOCK_AMMO, 167, "Full Restock Ammo") \
    X(IDS_ARTILLERY_MAX_HEALTH, 168, "Artillery Max Health:") \
    X(IDS_ARTILLERY_SUPPORT_COUNT, 169, "Artillery Support Count:") \
    X(IDS_ARTILLERY_SUPPLY_MAX_COUNT, 170, "Artillery Supply Max Count:") \
    X(IDS_USED_MODS_WRITE_FAILED_TEXT, 171, "Could not open file: ") \
    X(IDS_ARTILLERY_SUPPLY_SIZE, 172, "Artillery Supply Size:") \
    X(IDS_EXPLOSIVES_ARM_TIME, 173, "Explosives Arm Time:") \
    X(IDS_EXPLOSIVES_DAMAGE, 174, "Explosives Damage:") \
    X(IDS_EXPLOSIVES_DISARM_TIME, 175, "Explosives Disarm Time:") \
    X(IDS_EXPLOSIVES_FUSE_TIME, 176, "Explosives Fuse Time:") \
    X(IDS_EXPLOSIVES_RADIUS, 177, "Explosives Radius:") \
    X(IDS_GRENADE_COUNT_INIT, 178, "Grenade Count Init:") \
    X(IDS_GRENADE_COUNT_MAX, 179, "Grenade Count Max:") \
    X(IDS_LANDMINE_DEFUSE_TIME, 180, "Landmine Defuse Time:") \
    X(IDS_LANDMINE_DEFUSE_TIME_ENGINEER, 181, "Landmine Defuse Time Engineer:") \
    X(IDS_LANDMINE_MAX_SPOT_DIST, 182, "Landmine Max Spot Dist.:") \
    X(IDS_LANDMINE_SPOT_MULTI_CROUCH, 183, "Landmine Spot Multi Crouch:") \
    X(IDS_LANDMINE_SPOT_MULTI_PRONE, 184, "Landmine Spot Multi Prone:") \
    X(IDS_LANDMINE_SPOT_MULTI_STAND, 185, "Landmine Spot Multi Stand:") \
    X(IDS_LANDMINE_SPOTTING_NARROWNESS, 186, "Landmine Spotting Narrowness:") \
    X(IDS_LANDMINES_COUNT_INIT, 187, "Landmines Count Init:") \
    X(IDS_LANDMINES_COUNT_MAX, 188, "Landmines Count Max:") \
    X(IDS_SATCHELCHARGES_COUNT_INIT, 189, "Satchelcharges Count Init:") \
    X(IDS_SATCHELCHARGES_COUNT_MAX, 190, "Satchelcharges Count Max:") \
    X(IDS_ALLOW_GRENADES, 191, "Allow Grenades") \
    X(IDS_ALLOW_LANDMINES, 192, "Allow Landmines") \
    X(IDS_ALLOW_SATCHELCHARGES, 193, "Allow Satchelcharges") \
    X(IDS_USED_MODS_WRITE_FAILED_CAPTION, 194, "Mod configuration not saved") \
    X(IDS_ALLOW_LEAN, 195, "Allow Lean") \
    X(IDS_NO_FOOTSTEPS, 196, "No Footsteps") \
    X(IDS_WEAPON_STAY, 197, "Weapon Stay") \
    X(IDS_NO_HEALTH, 198, "No Health") \
    X(IDS_NO_ARMOR, 199, "No Armor") \
    X(IDS_NO_POWERUPS, 200, "No Powerups") \
    X(IDS_INSTANT_ITEMS, 201, "Instant Items") \
    X(IDS_MODS_DOWNLOAD_HINT, 202, "Check boxes enable the auto-download. Some mods require a download to the client before correct operation.") \
    X(IDS_SPAWN_DEFAULT, 203, "Default") \
    X(IDS_ENABLE_RETREAT, 204, "Enable Retreat") \
    X(IDS_RETREAT_RESPAWN, 205, "Respawn") \
    X(IDS_RETREAT_SPAWN_COST, 206, "Spawn Cost") \
    X(IDS_RETREAT_TIME, 207, "Retreat Time:") \
    X(IDS_RETREAT_DELAY, 208, "Retreat Delay:") \
    X(IDS_RETREATING_OPTIONS, 209, "Retreating Options") \
    X(IDS_GAMESPY, 210, "GameSpy") \
    X(IDS_CLIENT_TRACER, 211, "Client Tracer:") \
    X(IDS_KICK_MUTLIPLIER, 212, "Kick Mutliplier:") \
    X(IDS_AUTO_BALANCE_ON_ENTER, 213, "On Enter") \
    X(IDS_AUTO_BALANCE_ON_SPAWN, 214, "On Spawn") \
    X(IDS_EFFECTS_NETWORK_SPEED, 215, "Network Speed") \
    X(IDS_EFFECTS_GFX_AMBIENCE, 216, "GFX Ambience") \
    X(IDS_PURE, 217, "Pure") \
    X(IDS_DEMO_APP_TITLE, 218, "Vantrel(tm) Multiplayer Demo Server Launch Utility") \
    X(IDS_SPAWN_NOT_FACING, 219, "Not Facing") \
    X(IDS_SPAWN_BUFFERED_CLOSE, 220, "Buffered Close") \
    X(IDS_ALLOW_ALL_SKINS, 221, "Allow All Skins") \
    X(IDS_ROTATION_REFUSED_CAPTION, 222, "Map not added") \
    X(IDS_ROTATION_REFUSED_BLANK, 223, "The map name \"%s\" contains a blank. The rotation list separates its entries with blanks, so this map cannot be put in the rotation. It can still be used as the start map.") \
    X(IDS_ROTATION_REFUSED_FULL, 224, "The rotation list is full: adding \"%s\" would make it longer than 4095 characters. Remove a map from the rotation first.") \
    X(IDS_MODS_REFUSED_CAPTION, 225, "Mod not added") \
    X(IDS_MODS_REFUSED_BLANK, 226, "The mod name \"%s\" contains a blank. The list of mods in use separates its entries with blanks, so this mod cannot be put in use. Rename its folder to a name without blanks.") \
    X(IDS_MODS_REFUSED_FULL, 227, "The list of mods in use is full: adding \"%s\" would make it longer than 4095 characters. Take a mod out of use first.") \
    X(IDS_TEAM_KILL_WARNING, 1185, "Team Kill Warning:")

#endif  // SERVOLT_UI_TEXTS_H

// Includers that define UI_TEXT(name, id, text) before including this file
// get the list expanded in place.
#ifdef UI_TEXT
SERVOLT_UI_TEXTS(UI_TEXT)
#endif
