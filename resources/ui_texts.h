// The program's string table: every text the operator sees that does not
// come from the settings record or from the disk. This list is the one copy
// of those texts: strings.rc expands it into the STRINGTABLE resource of the
// Windows build, and the native build looks the same entries up directly.
//
// SERVOLT_UI_TEXTS(X) expands X(id, "text") for each entry. Ids run 1 to 221
// without gaps, plus 1185 (the Team page label whose control id is 1185).
// Ids 47, 56, 57, 65, 145 and 218 are never loaded but belong to the table.
// The list is one macro because the resource compiler keeps only the
// preprocessor definitions of an included header.
#ifndef SERVOLT_UI_TEXTS_H
#define SERVOLT_UI_TEXTS_H

#define SERVOLT_UI_TEXTS(X) \
    X(1, "Vantrel(tm) Server Launch Utility") \
    X(2, "A map has not been selected in the use maps or the rotation list. If you continue by selecting OK, you will need to specify the map after the server starts.\r\n\r\nConsole map commands:\r\n\tmap <mapname>\r\n\tsv_maplist <maps>") \
    X(3, "Server can not be started") \
    X(4, "Failed to locate: ") \
    X(5, "Can not find server") \
    X(6, "Can not write configuration to: ") \
    X(7, "Launch aborted") \
    X(8, "%s failed with error %d: %s") \
    X(9, "Error while reading or writing INI") \
    X(10, "Nameless Battle") \
    X(11, "MP:DefaultTeamKillWarnMessage") \
    X(12, "Basic") \
    X(13, "Advanced") \
    X(14, "Advanced2") \
    X(15, "Team") \
    X(16, "Limits/Restrictions") \
    X(17, "Maps/Rotation") \
    X(18, "Weapons/Ammo") \
    X(19, "Explosives") \
    X(20, "Mods") \
    X(21, "No page name!") \
    X(22, "Free For All") \
    X(23, "Team Deathmatch") \
    X(24, "Invader") \
    X(25, "Instant") \
    X(26, "5 secs") \
    X(27, "10 secs") \
    X(28, "20 secs") \
    X(29, "Random") \
    X(30, "Farthest") \
    X(31, "Team") \
    X(32, "Not Visible") \
    X(33, "Closest") \
    X(34, "Group") \
    X(35, "Launch Server") \
    X(36, "Exit") \
    X(37, "Save Config") \
    X(38, "Use Defaults") \
    X(39, "Server Name:") \
    X(40, "Game Type:") \
    X(41, "Heal Rate:") \
    X(42, "Health Drop") \
    X(43, "Fast Run Speed") \
    X(44, "Realistic Mode") \
    X(45, "Friendly Fire") \
    X(46, "No Falling Damage") \
    X(47, "Old Style Sniper Rifle") \
    X(48, "Infinite Ammo") \
    X(49, "Server Password:") \
    X(50, "Max Players:") \
    X(51, "Frag Limit:") \
    X(52, "Time Limit:") \
    X(53, "Welcome Message:") \
    X(54, "Backpack Drop") \
    X(55, "Weapon Drop") \
    X(56, "Map Rotation Time:") \
    X(57, "Round Reset Time:") \
    X(58, "Additional Options:") \
    X(59, "Map Duration:") \
    X(60, "Spawn Delay:") \
    X(61, "Invincibility:") \
    X(62, "Mute Spectators") \
    X(63, "Show Enemy Names") \
    X(64, "Enable PunkBuster(tm)") \
    X(65, "Disable Game Tips") \
    X(66, "Inactive Spectate:") \
    X(67, "INFO Threshold:") \
    X(68, "STAT Threshold:") \
    X(69, "Bleed To Death") \
    X(70, "Disable Bleeding") \
    X(71, "Online Stat Tracking") \
    X(72, "Max Rag Dolls:") \
    X(73, "DM Speed Multiplier:") \
    X(74, "Normal") \
    X(75, "Bandwidth Optimization:") \
    X(76, "Aim Assist Zoom:") \
    X(77, "Aim Assist Zoom Time:") \
    X(78, "FFA Allied Pistol:") \
    X(79, "Attacker Advance Delay:") \
    X(80, "FFA Max Health:") \
    X(81, "Large Player Count:") \
    X(82, "Post Round Wait Time:") \
    X(83, "Use Hag Initial Bullet Count:") \
    X(84, "Able Group Name:") \
    X(85, "Baker Group Name:") \
    X(86, "Seconds Left In Match:") \
    X(87, "Wait For Transition Flag:") \
    X(88, "Incapacitated Max Health:") \
    X(89, "Team Kill Warnings:") \
    X(90, "Disable Classes In Team DM") \
    X(91, "Team Kill Kick:") \
    X(92, "Kick Duration:") \
    X(93, "Auto Balance") \
    X(94, "Inactive Kick:") \
    X(95, "Warm-Up Interval:") \
    X(96, "Respawn Interval:") \
    X(97, "Vote Majority:") \
    X(98, "Body Time Max:") \
    X(99, "Body Time Min:") \
    X(100, "Corpsman Attention Dist.:") \
    X(101, "Corpsman Heal Amount:") \
    X(102, "Corpsman Heal Time:") \
    X(103, "Corpsman Max Morphine:") \
    X(104, "Enable Voting") \
    X(105, "Do Warm-Up") \
    X(106, "Peace Warm-Up") \
    X(107, "Eng. Disarm Speed Up:") \
    X(108, "Eng. Max Explosives:") \
    X(109, "Corpsman Max Sulfa:") \
    X(110, "Corpsman Revive Time:") \
    X(111, "Eng. Plant Speed Up:") \
    X(112, "Player Spawn:") \
    X(113, "Invert Objective Number") \
    X(114, "Infantry:") \
    X(115, "Corpsman:") \
    X(116, "Engineer:") \
    X(117, "Ammo Tech:") \
    X(118, "Close Range:") \
    X(119, "Rifles:") \
    X(120, "Sub Machine Guns:") \
    X(121, "Machine Guns:") \
    X(122, "Sniper Rifles:") \
    X(123, "Connection Restriction:") \
    X(124, "Spawn Pool Size:") \
    X(125, "Kick Restrictions:") \
    X(126, "Min. Team Bonus:") \
    X(127, "Max Team Bonus:") \
    X(128, "Min. Kills:") \
    X(129, "Max Kills:") \
    X(130, "Min. Team Online:") \
    X(131, "Max Team Online:") \
    X(132, "Class Limitations") \
    X(133, "Restrictions") \
    X(134, "Allied Frags:") \
    X(135, "Axis Frags:") \
    X(136, "Maps") \
    X(137, "Rotation") \
    X(138, ">>") \
    X(139, "<<") \
    X(140, "Up") \
    X(141, "Down") \
    X(142, "Use Map") \
    X(143, "Mods Found") \
    X(144, "Mods In Use") \
    X(145, "Push package content onto clients") \
    X(146, "Ammo Box Count Init:") \
    X(147, "Ammo Box Count Max:") \
    X(148, "Artillery Ammo Time:") \
    X(149, "Artillery Internal Ammo:") \
    X(150, "MG Ammo Time:") \
    X(151, "MG Internal Ammo:") \
    X(152, "Pistol Ammo Init:") \
    X(153, "Pistol Ammo Max:") \
    X(154, "MG Cool Rate:") \
    X(155, "MG Heat Rate:") \
    X(156, "MG Jam Time:") \
    X(157, "MG Max Health:") \
    X(158, "MG Supply Count:") \
    X(159, "MG Supply Max:") \
    X(160, "MG Supply Size:") \
    X(161, "MG User Distance:") \
    X(162, "Rifle Ammo Init:") \
    X(163, "Rifle Ammo Max:") \
    X(164, "SMG Ammo Init:") \
    X(165, "SMG Ammo Max:") \
    X(166, "Cornucopia Ammo") \
    X(167, "Full Restock Ammo") \
    X(168, "Artillery Max Health:") \
    X(169, "Artillery Support Count:") \
    X(170, "Artillery Supply Max Count:") \
    X(171, "Could not open file: ") \
    X(172, "Artillery Supply Size:") \
    X(173, "Explosives Arm Time:") \
    X(174, "Explosives Damage:") \
    X(175, "Explosives Disarm Time:") \
    X(176, "Explosives Fuse Time:") \
    X(177, "Explosives Radius:") \
    X(178, "Grenade Count Init:") \
    X(179, "Grenade Count Max:") \
    X(180, "Landmine Defuse Time:") \
    X(181, "Landmine Defuse Time Engineer:") \
    X(182, "Landmine Max Spot Dist.:") \
    X(183, "Landmine Spot Multi Crouch:") \
    X(184, "Landmine Spot Multi Prone:") \
    X(185, "Landmine Spot Multi Stand:") \
    X(186, "Landmine Spotting Narrowness:") \
    X(187, "Landmines Count Init:") \
    X(188, "Landmines Count Max:") \
    X(189, "Satchelcharges Count Init:") \
    X(190, "Satchelcharges Count Max:") \
    X(191, "Allow Grenades") \
    X(192, "Allow Landmines") \
    X(193, "Allow Satchelcharges") \
    X(194, "Mod configuration not saved") \
    X(195, "Allow Lean") \
    X(196, "No Footsteps") \
    X(197, "Weapon Stay") \
    X(198, "No Health") \
    X(199, "No Armor") \
    X(200, "No Powerups") \
    X(201, "Instant Items") \
    X(202, "Check boxes enable the auto-download. Some mods require a download to the client before correct operation.") \
    X(203, "Default") \
    X(204, "Enable Retreat") \
    X(205, "Respawn") \
    X(206, "Spawn Cost") \
    X(207, "Retreat Time:") \
    X(208, "Retreat Delay:") \
    X(209, "Retreating Options") \
    X(210, "GameSpy") \
    X(211, "Client Tracer:") \
    X(212, "Kick Mutliplier:") \
    X(213, "On Enter") \
    X(214, "On Spawn") \
    X(215, "Network Speed") \
    X(216, "GFX Ambience") \
    X(217, "Pure") \
    X(218, "Vantrel(tm) Multiplayer Demo Server Launch Utility") \
    X(219, "Not Facing") \
    X(220, "Buffered Close") \
    X(221, "Allow All Skins") \
    X(1185, "Team Kill Warning:")

#endif  // SERVOLT_UI_TEXTS_H

// Includers that define UI_TEXT(id, text) before including this file get the
// list expanded in place.
#ifdef UI_TEXT
SERVOLT_UI_TEXTS(UI_TEXT)
#endif
