// The page of servolt-cli serve: the window's nine pages, edited as a draft
// that only Save Config stores, then check and import, the servers and the
// history. Everything shown is built with textContent: names of maps, mods
// and log lines come from disk and the server, never as markup.
"use strict";

(function () {
  const LOG_KEEP = 1000;
  const LIST_TEXT_LIMIT = 4095; // what a settings text holds, less its zero

  // Group boxes enclose rows that the page's order does not keep together
  // (the window places them by coordinates): which rows each caption of a
  // page holds, by the caption's position among that page's captions. A
  // caption not named here holds the rows that follow it.
  const GROUPS = {
    Advanced: [["RetreatEnable", "RetreatSpawnCost", "RetreatRespawn", "RetreatDelay", "RetreatTime"]],
    Limits: [
      ["InfantryLimit", "CorpsmanLimit", "EngineerLimit", "AmmoTechLimit", "CloseRangeLimit", "RiflesLimit",
        "SubMachineGunsLimit", "MachineGunsLimit", "SniperRiflesLimit"],
      ["ConnectionRestriction", "SpawnPoolSizeRestriction", "KickRestriction", "MinTeamBonus", "MaxTeamBonus",
        "MinKills", "MaxKills", "MinTeamOnline", "MaxTeamOnline", "AlliedFrags", "AxisFrags", "AllowAllSkins"],
    ],
  };
  const LIST_KEYS = ["MapRotationList", "ModuleUseList"];

  const S = {
    csrf: "",
    instance: "",
    data: null,        // the last /pages answer
    rows: {},          // key -> row
    pageOf: {},        // key -> page name
    stored: {},        // key -> value as stored
    draft: {},         // key -> value as edited
    lists: {},         // list key -> [{name, marked}] as edited
    storedLists: {},
    defaultLists: {},
    selected: {},      // list key -> index of the selected entry, -1 for none
    touched: new Set(),
    defaultsShown: false,
    dirty: false,
    findings: [],
    found: { maps: [], mods: [] },
    tab: "",
    importBody: null,
    log: { lines: [], next: null, instance: "", timer: 0, busy: false },
    serversTimer: 0,
    serversShown: "",
  };

  const $ = (id) => document.getElementById(id);

  function el(tag, attrs, ...children) {
    const node = document.createElement(tag);
    for (const [name, value] of Object.entries(attrs || {})) {
      if (value === undefined || value === null || value === false) continue;
      if (name === "text") node.textContent = value;
      else if (name === "class") node.className = value;
      else if (name.startsWith("on")) node.addEventListener(name.slice(2), value);
      else node.setAttribute(name, value === true ? "" : String(value));
    }
    for (const child of children) {
      if (child !== null && child !== undefined) node.append(child);
    }
    return node;
  }

  // ---- The API ------------------------------------------------------------

  async function api(method, path, body, contentType) {
    const options = { method, credentials: "same-origin", headers: {} };
    if (method !== "GET") options.headers["X-Servolt-CSRF"] = S.csrf;
    if (body !== undefined) {
      if (contentType) {
        options.headers["Content-Type"] = contentType;
        options.body = body;
      } else {
        options.headers["Content-Type"] = "application/json";
        options.body = JSON.stringify(body);
      }
    }
    busy(1);
    let response;
    try {
      response = await fetch(path, options);
    } catch (e) {
      busy(-1);
      return { status: 0, json: { error: "servolt-cli serve does not answer (" + e.message + ")" } };
    }
    let json = null;
    try {
      json = await response.json();
    } catch (e) {
      json = { error: "answer " + response.status + " without a readable body" };
    }
    busy(-1);
    if (response.status === 401) {
      problem("The session has ended: open the address servolt-cli serve printed again.");
    }
    return { status: response.status, json: json || {} };
  }

  // The page says it is busy while any request is under way (screen
  // readers hold back; scripts driving the page wait for it).
  let pending = 0;
  function busy(by) {
    pending += by;
    $("main").setAttribute("aria-busy", pending > 0 ? "true" : "false");
  }

  const iapi = (method, route, body, type) =>
    api(method, "/api/i/" + encodeURIComponent(S.instance) + route, body, type);

  // ---- Messages -----------------------------------------------------------

  function say(text) {
    $("status").textContent = text;
  }

  function problem(text, items) {
    const box = $("problems");
    box.replaceChildren();
    if (!text) return;
    box.append(el("p", { text }));
    if (items && items.length) box.append(el("ul", {}, ...items.map((t) => el("li", { text: t }))));
  }

  // ---- Tabs ---------------------------------------------------------------

  function tabDefs() {
    const pages = S.data ? S.data.pages.map((p) => ({ name: p.name, title: p.title, settings: true })) : [];
    return pages.concat([
      { name: "Check", title: "Check & Import" },
      { name: "Servers", title: "Servers" },
      { name: "History", title: "History" },
    ]);
  }

  function buildTabs() {
    const list = $("tabs");
    list.replaceChildren();
    $("panels").replaceChildren();
    for (const def of tabDefs()) {
      const tab = el("button", {
        type: "button", role: "tab", id: "tab-" + def.name, "aria-controls": "panel-" + def.name,
        "aria-selected": "false", tabindex: "-1", text: def.title, "data-page": def.name,
        onclick: () => showTab(def.name, true),
      });
      list.append(tab);
      $("panels").append(el("section", {
        id: "panel-" + def.name, role: "tabpanel", "aria-labelledby": "tab-" + def.name, hidden: true,
        class: "panel" + (def.settings ? " settings" : ""),
      }));
    }
    list.onkeydown = onTabKey;
  }

  function onTabKey(event) {
    const tabs = Array.from($("tabs").querySelectorAll("[role=tab]"));
    const i = tabs.indexOf(document.activeElement);
    if (i < 0) return;
    let next = -1;
    if (event.key === "ArrowRight" || event.key === "ArrowDown") next = (i + 1) % tabs.length;
    else if (event.key === "ArrowLeft" || event.key === "ArrowUp") next = (i - 1 + tabs.length) % tabs.length;
    else if (event.key === "Home") next = 0;
    else if (event.key === "End") next = tabs.length - 1;
    if (next < 0) return;
    event.preventDefault();
    showTab(tabs[next].dataset.page, true);
  }

  function showTab(name, focus) {
    if (!$("tab-" + name)) name = tabDefs()[0].name;
    S.tab = name;
    for (const tab of $("tabs").querySelectorAll("[role=tab]")) {
      const on = tab.dataset.page === name;
      tab.setAttribute("aria-selected", on ? "true" : "false");
      tab.tabIndex = on ? 0 : -1;
      $("panel-" + tab.dataset.page).hidden = !on;
    }
    if (focus) $("tab-" + name).focus();
    stopPolling();
    if (name === "Servers") startPolling();
    if (name === "History") loadHistory();
  }

  // ---- The nine pages -----------------------------------------------------

  function rowsInGroups(page) {
    // [{caption, rows}] for group boxes, rows alone otherwise, page order kept.
    const captions = page.rows.filter((r) => r.kind === "group caption");
    const named = GROUPS[page.name] || [];
    const keys = new Set(page.rows.map((r) => r.key).filter(Boolean));
    const owner = {};
    captions.forEach((caption, i) => {
      for (const key of named[i] || []) if (keys.has(key)) owner[key] = caption;
    });
    const members = new Map(captions.map((c) => [c, []]));
    let open = null; // a caption without named rows takes those after it
    for (const row of page.rows) {
      if (row.kind === "group caption") {
        open = (named[captions.indexOf(row)] || []).some((k) => keys.has(k)) ? null : row;
        continue;
      }
      if (owner[row.key]) members.get(owner[row.key]).push(row);
      else if (open) { owner[row.key] = open; members.get(open).push(row); }
    }
    const out = [];
    const emitted = new Set();
    for (const row of page.rows) {
      const caption = row.kind === "group caption" ? row : owner[row.key];
      if (caption) {
        if (!emitted.has(caption)) { emitted.add(caption); out.push({ caption, rows: members.get(caption) }); }
      } else {
        out.push(row);
      }
    }
    return out;
  }

  function note(key) {
    return el("div", { class: "note", id: "n-" + key });
  }

  function control(row) {
    const id = "f-" + row.key;
    const value = S.draft[row.key];
    let input;
    switch (row.kind) {
      case "text box":
        input = row.multiLine ? el("textarea", { id, rows: 4 }) : el("input", { id, type: "text" });
        if (row.maxLength) input.maxLength = row.maxLength;
        input.value = value;
        input.addEventListener("input", () => edit(row.key, input.value));
        break;
      case "number box":
        input = el("input", {
          id, type: "number", step: row.float ? "any" : "1", min: row.min, max: row.max,
          required: !row.blank, inputmode: row.float ? "decimal" : "numeric",
        });
        input.value = value;
        input.addEventListener("input", () => edit(row.key, input.value));
        break;
      case "list choice":
        input = el("select", { id }, ...row.choices.map((c) => el("option", { value: c, text: c })));
        input.value = value;
        if (row.choices.indexOf(value) < 0) input.selectedIndex = -1;
        input.addEventListener("change", () => edit(row.key, input.value));
        break;
      case "check box":
        input = el("input", { id, type: "checkbox" });
        input.checked = value === "1";
        input.addEventListener("change", () => edit(row.key, input.checked ? "1" : "0"));
        break;
      case "three-valued check box":
        // Only 1 shows checked; unchecking a 1 gives 2, as the window does.
        input = el("input", { id, type: "checkbox" });
        input.checked = value === "1";
        input.addEventListener("change", () =>
          edit(row.key, input.checked ? "1" : (S.draft[row.key] === "1" ? "2" : "0")));
        break;
      default:
        return null;
    }
    input.setAttribute("aria-describedby", "n-" + row.key);
    return input;
  }

  function fieldRow(row) {
    const input = control(row);
    if (!input) return null;
    const label = el("label", { for: input.id, text: row.label });
    if (input.type === "checkbox") {
      return el("div", { class: "row check", "data-key": row.key }, input, label, note(row.key));
    }
    const wide = input.tagName === "TEXTAREA" ? " wide" : input.type === "text" ? " text" : "";
    return el("div", { class: "row field" + wide, "data-key": row.key }, label, input, note(row.key));
  }

  function runsOf(rows) {
    // Check boxes side by side, boxes with labels in columns, as the window
    // arranges them; a run of one kind is one grid.
    const out = [];
    let run = null;
    for (const row of rows) {
      const node = fieldRow(row);
      if (!node) continue;
      const kind = node.classList.contains("check") ? "checks" : "fields";
      if (!run || run.kind !== kind) {
        run = { kind, node: el("div", { class: kind }) };
        out.push(run.node);
      }
      run.node.append(node);
    }
    return out;
  }

  function renderPage(page) {
    const panel = $("panel-" + page.name);
    panel.replaceChildren();
    if (page.name === "Maps" || page.name === "Mods") {
      renderListPage(page, panel);
      return;
    }
    const loose = [];
    const flush = () => { if (loose.length) { panel.append(...runsOf(loose)); loose.length = 0; } };
    for (const item of rowsInGroups(page)) {
      if (item.caption) {
        flush();
        panel.append(el("fieldset", {}, el("legend", { text: item.caption.label }), ...runsOf(item.rows)));
      } else {
        loose.push(item);
      }
    }
    flush();
  }

  function renderListPage(page, panel) {
    const texts = S.data.texts;
    const listRow = page.rows.find((r) => r.kind === "marked list");
    const others = page.rows.filter((r) => r !== listRow);
    const maps = page.name === "Maps";
    if (!listRow) { panel.append(...runsOf(others)); return; }
    const key = listRow.key;
    const foundId = maps ? "maps" : "modsFound";
    const foundLabel = maps ? texts.maps : texts.modsFound;
    const found = el("select", { id: foundId, size: 12, class: "found" });
    const buttons = el("div", { class: "movers" },
      el("button", { type: "button", id: key + "-add", text: texts.add, onclick: () => addFound(key, found) }),
      el("button", { type: "button", id: key + "-remove", text: texts.remove, onclick: () => removeSelected(key) }),
      el("button", { type: "button", id: key + "-up", class: "gap", text: texts.up, onclick: () => moveSelected(key, -1) }),
      el("button", { type: "button", id: key + "-down", text: texts.down, onclick: () => moveSelected(key, 1) }));
    const marked = el("div", { id: "f-" + key, class: "marked", role: "group", "aria-labelledby": "l-" + key });
    const left = el("div", { class: "col" }, el("label", { for: foundId, text: foundLabel }), found);
    const right = el("div", { class: "col" }, el("span", { id: "l-" + key, class: "caption", text: listRow.label }),
      marked, el("div", { class: "note", id: "n-" + key, role: "alert" }));
    if (!maps && texts.modsHint) right.append(el("p", { class: "hint", text: texts.modsHint }));
    panel.append(el("div", { class: "lists" }, left, buttons, right));
    if (maps) {
      const mapRow = others.find((r) => r.key === "MapName");
      if (mapRow) {
        const input = control(mapRow);
        panel.append(el("div", { class: "usemap", "data-key": "MapName" },
          el("button", { type: "button", id: "use-map", text: texts.useMap, onclick: () => useMap(found, input) }),
          el("label", { for: input.id, class: "sr-only", text: mapRow.label }), input, note("MapName")));
      }
      const rest = others.filter((r) => r !== mapRow);
      if (rest.length) panel.append(...runsOf(rest));
    } else if (others.length) {
      panel.append(...runsOf(others));
    }
    fillFound(page.name);
    renderMarked(key);
  }

  function fillFound(pageName) {
    const select = $(pageName === "Maps" ? "maps" : "modsFound");
    if (!select) return;
    const names = pageName === "Maps" ? S.found.maps : S.found.mods;
    const keep = select.value;
    select.replaceChildren(...names.map((n) => el("option", { value: n, text: n })));
    if (names.indexOf(keep) >= 0) select.value = keep;
  }

  function takeFound(select) {
    // As the window: no selection takes (and selects) the first entry.
    if (!select.options.length) return null;
    if (select.selectedIndex < 0) select.selectedIndex = 0;
    return select.value;
  }

  function listText(entries) {
    return entries.map((e) => e.name + " " + (e.marked ? "1" : "0") + " ").join("");
  }

  function addFound(key, select) {
    const name = takeFound(select);
    if (name === null) return;
    const list = S.lists[key];
    $("n-" + key).textContent = "";
    if (list.some((e) => e.name === name)) return;
    if (name.indexOf(" ") >= 0) {
      $("n-" + key).textContent = "\"" + name + "\" has a blank, which the list cannot keep";
      return;
    }
    if (listText(list).length + name.length + 3 > LIST_TEXT_LIMIT) {
      $("n-" + key).textContent = "the list would be longer than " + LIST_TEXT_LIMIT + " characters";
      return;
    }
    list.push({ name, marked: false });
    S.selected[key] = list.length - 1;
    listChanged(key);
  }

  function removeSelected(key) {
    const list = S.lists[key];
    if (!list.length) return;
    let i = S.selected[key];
    if (i < 0 || i >= list.length) i = 0;
    list.splice(i, 1);
    S.selected[key] = Math.min(i, list.length - 1);
    listChanged(key);
  }

  function moveSelected(key, by) {
    const list = S.lists[key];
    const i = S.selected[key];
    const j = i + by;
    if (i < 0 || i >= list.length || j < 0 || j >= list.length) return;
    [list[i], list[j]] = [list[j], list[i]];
    S.selected[key] = j;
    listChanged(key);
  }

  function useMap(select, input) {
    const name = takeFound(select);
    if (name === null) return;
    input.value = name;
    edit("MapName", name);
  }

  function renderMarked(key) {
    const box = $("f-" + key);
    if (!box) return;
    const list = S.lists[key];
    const hadFocus = box.contains(document.activeElement);
    box.replaceChildren();
    list.forEach((entry, i) => {
      const id = "m-" + key + "-" + i;
      // One stop of the Tab key for the whole list: the selected entry (the
      // first when none is), the arrow keys walk the others.
      const current = S.selected[key] >= 0 && S.selected[key] < list.length ? S.selected[key] : 0;
      const check = el("input", { type: "checkbox", id, "data-name": entry.name, tabindex: i === current ? 0 : -1 });
      check.checked = entry.marked;
      check.addEventListener("change", () => { entry.marked = check.checked; listChanged(key, true); });
      check.addEventListener("focus", () => select(key, i));
      check.addEventListener("keydown", (event) => {
        const to = event.key === "ArrowDown" ? i + 1 : event.key === "ArrowUp" ? i - 1 : -1;
        if (to < 0 || to >= list.length) return;
        event.preventDefault();
        $("m-" + key + "-" + to).focus();
      });
      // A click on the name selects the entry, as in the window's list; only
      // the box itself changes the mark.
      const label = el("label", { for: id, text: entry.name });
      label.addEventListener("click", (event) => { event.preventDefault(); check.focus(); });
      const line = el("div", { class: "entry" + (i === S.selected[key] ? " selected" : ""), "data-index": i },
        check, label);
      line.addEventListener("click", () => select(key, i));
      box.append(line);
    });
    if (hadFocus && S.selected[key] >= 0 && $("m-" + key + "-" + S.selected[key])) {
      $("m-" + key + "-" + S.selected[key]).focus();
    }
  }

  function select(key, i) {
    S.selected[key] = i;
    for (const line of $("f-" + key).children) {
      const on = Number(line.dataset.index) === i;
      line.classList.toggle("selected", on);
      line.querySelector("input").tabIndex = on ? 0 : -1;
    }
  }

  function listChanged(key, markOnly) {
    markDirty();
    clearError(key);
    if (!markOnly) renderMarked(key);
    if (key === "ModuleUseList") refreshFound();
  }

  // ---- Draft, Save Config, Use Defaults ------------------------------------

  function edit(key, value) {
    S.draft[key] = value;
    S.touched.add(key);
    clearError(key);
    markDirty();
    if (key === "GameType") refreshFound();
  }

  function markDirty() {
    if (!S.dirty) say("Edited: nothing is stored until " + S.data.texts.save + ".");
    S.dirty = true;
    document.title = "* Servolt";
  }

  function clearError(key) {
    const n = $("n-" + key);
    if (n && n.classList.contains("refused")) {
      n.classList.remove("refused");
      n.removeAttribute("role");
      n.textContent = "";
      showFinding(key);
      const input = $("f-" + key);
      if (input) input.removeAttribute("aria-invalid");
    }
  }

  function takeData(data) {
    S.data = data;
    S.rows = {};
    S.pageOf = {};
    S.stored = {};
    S.storedLists = {};
    for (const page of data.pages) {
      for (const row of page.rows) {
        if (!row.key) continue;
        S.rows[row.key] = row;
        S.pageOf[row.key] = page.name;
        if (row.kind === "marked list") S.storedLists[row.key] = row.entries.map((e) => ({ name: e.name, marked: !!e.marked }));
        else S.stored[row.key] = row.value;
      }
    }
    S.draft = Object.assign({}, S.stored);
    S.lists = {};
    for (const key of Object.keys(S.storedLists)) {
      S.lists[key] = S.storedLists[key].map((e) => Object.assign({}, e));
      S.selected[key] = -1;
    }
    S.touched = new Set();
    S.defaultsShown = false;
    S.dirty = false;
    document.title = "Servolt";
  }

  function renderSettings() {
    for (const page of S.data.pages) renderPage(page);
    showFindings();
  }

  function gameTypeIndex() {
    const row = S.rows.GameType;
    if (!row) return 0;
    const i = row.choices.indexOf(S.draft.GameType);
    return i < 0 ? 0 : i;
  }

  let refreshing = 0;
  async function refreshFound() {
    const ticket = ++refreshing;
    const mods = listText(S.lists.ModuleUseList || []);
    const r = await iapi("GET", "/lists?gameType=" + gameTypeIndex() + "&mods=" + encodeURIComponent(mods));
    if (ticket !== refreshing || r.status !== 200) return;
    S.found = { maps: r.json.maps || [], mods: r.json.mods || [] };
    fillFound("Maps");
    fillFound("Mods");
  }

  function sameList(a, b) {
    return JSON.stringify(a) === JSON.stringify(b);
  }

  async function save() {
    problem("");
    for (const key of S.touched) {
      const input = $("f-" + key);
      if (input && input.validity && input.validity.badInput) {
        showErrors({ [key]: "not a number" });
        return;
      }
    }
    const values = {};
    for (const key of Object.keys(S.draft)) {
      if (S.defaultsShown || (S.touched.has(key) && S.draft[key] !== S.stored[key])) values[key] = S.draft[key];
    }
    // A list goes only when it was edited: the text it was read from (the
    // stored one, or after Use Defaults the defaults') is kept byte for byte
    // otherwise, as the window keeps it until its list is edited.
    const base = S.defaultsShown ? S.defaultLists : S.storedLists;
    const lists = {};
    for (const key of Object.keys(S.lists)) {
      if (!sameList(S.lists[key], base[key])) lists[key] = S.lists[key];
    }
    $("save").disabled = true;
    say("Saving\u2026");
    const r = await iapi("POST", "/save", { defaults: S.defaultsShown, values, lists });
    $("save").disabled = false;
    if (r.status === 422) {
      say("Not saved.");
      showErrors(r.json.fields || {}, r.json.error);
      return;
    }
    const failures = (r.json.failures || []).map((f) => f.file + ": " + f.reason);
    if (r.status !== 200 || !r.json.saved) {
      say("Not saved.");
      problem(r.json.error || "The settings were not saved.", failures);
      return;
    }
    await reloadSettings();
    say("Saved.");
    if (failures.length) problem("Saved, but not every file was written:", failures);
  }

  function showErrors(fields, message) {
    const keys = Object.keys(fields);
    const lines = [];
    let first = null;
    for (const key of keys) {
      const n = $("n-" + key);
      const label = S.rows[key] ? S.rows[key].label.replace(/:$/, "") : key;
      lines.push(label + ": " + fields[key]);
      if (!n) continue;
      n.textContent = fields[key];
      n.className = "note refused";
      n.setAttribute("role", "alert");
      const input = $("f-" + key);
      if (input) input.setAttribute("aria-invalid", "true");
      if (!first) first = key;
    }
    problem(message || "Not saved: correct the fields marked.", lines);
    if (first) {
      showTab(S.pageOf[first]);
      const input = $("f-" + first);
      if (input && input.focus) input.focus();
    }
  }

  async function useDefaults() {
    const r = await iapi("GET", "/pages?defaults=1");
    if (r.status !== 200) { problem(r.json.error || "The defaults could not be read."); return; }
    for (const page of r.json.pages) {
      for (const row of page.rows) {
        if (!row.key) continue;
        if (row.kind === "marked list") {
          S.defaultLists[row.key] = row.entries.map((e) => ({ name: e.name, marked: !!e.marked }));
          S.lists[row.key] = S.defaultLists[row.key].map((e) => Object.assign({}, e));
          S.selected[row.key] = -1;
        } else {
          S.draft[row.key] = row.value;
        }
      }
    }
    S.defaultsShown = true;
    markDirty();
    renderSettings();
    refreshFound();
    say("Defaults shown: nothing is stored until " + S.data.texts.save + ".");
  }

  // ---- Findings -------------------------------------------------------------

  async function loadFindings() {
    const r = await iapi("GET", "/check");
    S.findings = r.status === 200 ? r.json.findings || [] : [];
    showFindings();
    renderCheckList(r.status === 200 ? null : r.json.error);
  }

  function showFinding(key) {
    const n = $("n-" + key);
    if (!n || n.classList.contains("refused")) return;
    const mine = S.findings.filter((f) => f.key === key);
    n.textContent = mine.map((f) => f.severity + ": " + f.message).join("\n");
    n.className = "note" + (mine.length ? " finding " + mine[0].severity : "");
  }

  function showFindings() {
    for (const key of Object.keys(S.rows)) showFinding(key);
    for (const tab of $("tabs").querySelectorAll("[role=tab]")) {
      const page = tab.dataset.page;
      tab.classList.toggle("flagged", S.findings.some((f) => S.pageOf[f.key] === page));
    }
  }

  function renderCheckList(error) {
    const list = $("findings");
    if (!list) return;
    list.replaceChildren();
    if (error) { list.append(el("li", { text: error })); return; }
    if (!S.findings.length) { list.append(el("li", { text: "Nothing found." })); return; }
    for (const f of S.findings) {
      const row = S.rows[f.key];
      const where = row
        ? el("button", { type: "button", class: "link", text: row.label.replace(/:$/, ""),
          onclick: () => { showTab(S.pageOf[f.key]); const i = $("f-" + f.key); if (i) i.focus(); } })
        : el("span", { class: "file", text: f.key });
      list.append(el("li", { class: f.severity }, el("span", { class: "severity", text: f.severity }), " ", where, " ",
        el("span", { text: f.message })));
    }
  }

  // ---- Check & Import ---------------------------------------------------------

  function buildCheckPanel() {
    const panel = $("panel-Check");
    panel.replaceChildren(
      el("h2", { text: "Check" }),
      el("p", { text: "What would make the server start otherwise than meant, for the stored settings." }),
      el("ul", { id: "findings", class: "findings" }),
      el("p", {}, el("button", { type: "button", id: "check-run", text: "Check again", onclick: loadFindings })),
      el("h2", { text: "Import a server.cfg" }),
      el("p", { class: "row field" }, el("label", { for: "import-file", text: "Hand-written server.cfg" }),
        el("input", { type: "file", id: "import-file", accept: ".cfg,text/plain" })),
      el("p", { class: "row check" }, el("input", { type: "checkbox", id: "import-merge" }),
        el("label", { for: "import-merge", text: "Merge: keep the settings the file does not set" })),
      el("p", { class: "buttons-left" },
        el("button", { type: "button", id: "import-read", text: "Read", onclick: () => runImport(false) }),
        el("button", { type: "button", id: "import-apply", text: "Apply", disabled: true, onclick: () => runImport(true) })),
      el("div", { id: "import-result", role: "status" }),
      el("pre", { id: "import-report", class: "report", tabindex: 0, hidden: true }));
    $("import-file").addEventListener("change", () => { $("import-apply").disabled = true; S.importBody = null; });
    $("import-merge").addEventListener("change", () => { $("import-apply").disabled = true; });
  }

  // The import's exit codes, as the command line documents them.
  const IMPORT_MEANING = [
    "Every line's effect is kept.",
    "A variable would end otherwise, a line is dropped, or the file assigns nothing: see the report.",
    "Nothing can be written: the file cannot be read or is not text, or the settings file cannot be written.",
  ];

  async function runImport(apply) {
    const file = $("import-file").files[0];
    if (!file) { $("import-result").textContent = "Choose a file first."; return; }
    if (apply && S.dirty && !confirm("Applying the import replaces your unsaved edits. Go on?")) return;
    if (!S.importBody || !apply) S.importBody = await file.arrayBuffer();
    const merge = $("import-merge").checked ? 1 : 0;
    const r = await iapi("POST", "/import?merge=" + merge + "&apply=" + (apply ? 1 : 0), S.importBody, "application/octet-stream");
    const report = $("import-report");
    if (r.status !== 200) {
      $("import-result").textContent = r.json.error || "The import failed.";
      report.hidden = true;
      return;
    }
    report.textContent = (r.json.lines || []).join("\n");
    report.hidden = !report.textContent;
    const meaning = IMPORT_MEANING[r.json.exit] || "";
    if (r.json.applied) {
      $("import-result").textContent = "Applied. " + meaning;
      $("import-apply").disabled = true;
      await reloadSettings();
    } else {
      $("import-result").textContent = "Read, nothing applied yet. " + meaning;
      $("import-apply").disabled = r.json.exit === 2;
    }
  }

  // ---- Servers ------------------------------------------------------------------

  function buildServersPanel() {
    const choose = el("select", { id: "log-instance" });
    choose.addEventListener("change", () => { resetLog(choose.value); pollLog(); });
    $("panel-Servers").replaceChildren(
      el("h2", { text: "Servers" }),
      el("div", { id: "servers-msg", role: "alert" }),
      el("table", { id: "servers", class: "servers" },
        el("thead", {}, el("tr", {}, ...["Server", "Game folder", "Status", "Since", "Restarts", "Last exit", "Next restart", ""]
          .map((t) => el("th", { scope: "col", text: t })))),
        el("tbody", {})),
      el("h2", { text: "Run log" }),
      el("p", { class: "row field" }, el("label", { for: "log-instance", text: "Log of" }), choose),
      el("pre", { id: "log", class: "log", tabindex: 0, "aria-label": "Run log", "aria-live": "off" }));
  }

  function when(seconds) {
    // The local time as the run log and the history write it.
    if (!seconds) return "\u2014";
    const t = new Date(seconds * 1000);
    const two = (n) => String(n).padStart(2, "0");
    return t.getFullYear() + "-" + two(t.getMonth() + 1) + "-" + two(t.getDate()) + " " +
      two(t.getHours()) + ":" + two(t.getMinutes()) + ":" + two(t.getSeconds());
  }

  function stateText(status, control) {
    let text = status.state || "unknown";
    if (status.supervisor === "run") text += " (by servolt-cli run)";
    else if (status.supervisor === "serve") text += " (by this page's serve)";
    if (!control) text += "; not controlled here";
    return text;
  }

  async function loadServers() {
    const r = await api("GET", "/api/instances");
    const body = $("servers") && $("servers").tBodies[0];
    if (!body) return;
    if (r.status !== 200) { $("servers-msg").textContent = r.json.error || "The servers could not be read."; return; }
    // Rows are rebuilt only when something changed, so that a button being
    // used and a screen reader's place stay where they are.
    const shown = JSON.stringify(r.json.instances || []);
    if (shown === S.serversShown) return;
    S.serversShown = shown;
    const rows = [];
    const choose = $("log-instance");
    const names = [];
    for (const inst of r.json.instances || []) {
      const st = inst.status || {};
      names.push(inst.name);
      const actions = ["start", "stop", "restart"].map((action) => el("button", {
        type: "button", id: action + "-" + inst.name, text: action[0].toUpperCase() + action.slice(1),
        disabled: !inst.control, onclick: () => serverAction(inst.name, action),
      }));
      const cells = [
        ["Server", inst.name], ["Game folder", inst.game || ""], ["Status", stateText(st, inst.control)],
        ["Since", when(st.since)], ["Restarts", String(st.restarts || 0)], ["Last exit", st.lastExit || "\u2014"],
        ["Next restart", when(st.nextRestart)],
      ].map(([label, text], i) => el(i === 0 ? "th" : "td", { "data-label": label, text, scope: i === 0 ? "row" : null,
        id: i === 2 ? "state-" + inst.name : null, "data-state": i === 2 ? st.state || "" : null }));
      rows.push(el("tr", {}, ...cells, el("td", { class: "actions" }, ...actions)));
    }
    // Rebuilding the rows would take the focus off a button being used.
    const focused = document.activeElement && document.activeElement.id;
    body.replaceChildren(...rows);
    if (focused && $(focused) && body.contains($(focused))) $(focused).focus();
    if (choose.options.length !== names.length || names.some((n, i) => choose.options[i].value !== n)) {
      const keep = choose.value || S.instance;
      choose.replaceChildren(...names.map((n) => el("option", { value: n, text: n })));
      choose.value = names.indexOf(keep) >= 0 ? keep : names[0] || "";
      if (choose.value !== S.log.instance) { resetLog(choose.value); pollLog(); }
    }
  }

  async function serverAction(name, action) {
    $("servers-msg").textContent = "";
    const button = $(action + "-" + name);
    if (button) button.disabled = true;
    const r = await api("POST", "/api/i/" + encodeURIComponent(name) + "/" + action);
    S.serversShown = "";
    if (r.status !== 200 || !r.json.ok) $("servers-msg").textContent = name + ": " + (r.json.error || action + " failed");
    await loadServers();
  }

  function resetLog(name) {
    S.log = Object.assign(S.log, { lines: [], next: null, instance: name });
    if ($("log")) $("log").textContent = "";
  }

  async function pollLog() {
    const name = S.log.instance;
    if (!name || S.log.busy) return;
    S.log.busy = true;
    const after = S.log.next === null ? "" : "?after=" + S.log.next;
    const r = await api("GET", "/api/i/" + encodeURIComponent(name) + "/log" + after);
    S.log.busy = false;
    if (name !== S.log.instance || r.status !== 200) return;
    const fresh = r.json.lines || [];
    if (r.json.skipped && S.log.next !== null) fresh.unshift("[\u2026 lines left out \u2026]");
    S.log.next = r.json.next;
    if (!fresh.length) return;
    const pre = $("log");
    const atEnd = pre.scrollTop + pre.clientHeight >= pre.scrollHeight - 4;
    S.log.lines.push(...fresh);
    if (S.log.lines.length > LOG_KEEP) S.log.lines.splice(0, S.log.lines.length - LOG_KEEP);
    pre.textContent = S.log.lines.join("\n");
    if (atEnd) pre.scrollTop = pre.scrollHeight;
  }

  function startPolling() {
    const tick = async () => {
      await Promise.all([loadServers(), pollLog()]);
      if (S.tab === "Servers") S.serversTimer = setTimeout(tick, 1000);
    };
    tick();
  }

  function stopPolling() {
    clearTimeout(S.serversTimer);
    S.serversTimer = 0;
  }

  // ---- History ------------------------------------------------------------------

  function buildHistoryPanel() {
    $("panel-History").replaceChildren(
      el("h2", { text: "History" }),
      el("p", { text: "Each save, import and restore keeps the configuration it replaced." }),
      el("table", { id: "history", class: "history" },
        el("thead", {}, el("tr", {}, ...["Entry", "Time", "Reason", "Files"].map((t) => el("th", { scope: "col", text: t })))),
        el("tbody", {})),
      el("div", { class: "compare" },
        el("p", { class: "row field" }, el("label", { for: "diff-a", text: "Compare" }), el("select", { id: "diff-a" })),
        el("p", { class: "row field" }, el("label", { for: "diff-b", text: "with" }), el("select", { id: "diff-b" })),
        el("p", {}, el("button", { type: "button", id: "diff-run", text: "Compare", onclick: runDiff }))),
      el("div", { id: "diff", class: "diff" }),
      el("div", { class: "compare" },
        el("p", { class: "row field" }, el("label", { for: "restore-id", text: "Entry to restore" }), el("select", { id: "restore-id" })),
        el("p", {}, el("button", { type: "button", id: "restore", text: "Restore", onclick: runRestore }))),
      el("div", { id: "history-msg", role: "alert" }));
  }

  async function loadHistory() {
    const r = await iapi("GET", "/history");
    const body = $("history").tBodies[0];
    if (r.status !== 200) { $("history-msg").textContent = r.json.error || "The history could not be read."; return; }
    const entries = r.json.entries || [];
    body.replaceChildren(...entries.slice().reverse().map((e) => el("tr", { "data-id": e.id },
      el("th", { scope: "row", text: e.id }),
      el("td", { text: typeof e.time === "number" ? when(e.time) : String(e.time || "") }),
      el("td", { text: e.reason || "" }),
      el("td", { text: (e.files || []).join(", ") }))));
    if (!entries.length) body.append(el("tr", {}, el("td", { colspan: 4, text: "No configuration kept yet." })));
    const options = (extra) => extra.concat(entries.slice().reverse().map((e) => el("option", { value: e.id, text: e.id })));
    $("diff-a").replaceChildren(...options([el("option", { value: "", text: "the newest entry" })]));
    $("diff-b").replaceChildren(...options([el("option", { value: "", text: "now" })]));
    $("restore-id").replaceChildren(...options([]));
    $("restore").disabled = !entries.length;
  }

  async function runDiff() {
    const a = $("diff-a").value;
    const b = $("diff-b").value;
    const query = [a && "a=" + encodeURIComponent(a), b && "b=" + encodeURIComponent(b)].filter(Boolean).join("&");
    const r = await iapi("GET", "/history/diff" + (query ? "?" + query : ""));
    const out = $("diff");
    out.replaceChildren();
    if (r.status !== 200) { out.append(el("p", { role: "alert", text: r.json.error || "No comparison." })); return; }
    const settings = r.json.settings || [];
    const lines = r.json.lines || [];
    if (!settings.length && !lines.length) { out.append(el("p", { text: "No difference." })); return; }
    if (settings.length) {
      out.append(el("table", { class: "changes" },
        el("thead", {}, el("tr", {}, ...["Setting", "Before", "After"].map((t) => el("th", { scope: "col", text: t })))),
        el("tbody", {}, ...settings.map((s) => el("tr", {},
          el("th", { scope: "row", text: s.label.replace(/:$/, "") }), el("td", { text: s.before }), el("td", { text: s.after }))))));
    }
    if (lines.length) {
      const pre = el("pre", { class: "report", tabindex: 0 });
      for (const line of lines) {
        pre.append(el("span", { class: line.sign === "+" ? "added" : line.sign === "-" ? "removed" : "", text: line.file + ": " + line.sign + " " + line.text + "\n" }));
      }
      out.append(pre);
    }
  }

  async function runRestore() {
    const id = $("restore-id").value;
    if (!id) return;
    const ask = "Restore the configuration " + id + "? The current one is kept in the history first." +
      (S.dirty ? " Your unsaved edits are dropped." : "");
    if (!confirm(ask)) return;
    const r = await iapi("POST", "/history/restore", { id });
    if (r.status !== 200 || !r.json.restored) {
      $("history-msg").textContent = r.json.error || "Not restored.";
      return;
    }
    $("history-msg").textContent = "";
    say("Restored " + id + ".");
    await reloadSettings();
    await loadHistory();
  }

  // ---- Instances and start-up -------------------------------------------------------

  async function reloadSettings() {
    const r = await iapi("GET", "/pages");
    if (r.status !== 200) { problem(r.json.error || "The settings could not be read."); return false; }
    takeData(r.json);
    renderSettings();
    await Promise.all([refreshFound(), loadFindings()]);
    return true;
  }

  async function openInstance(name) {
    S.instance = name;
    const r = await iapi("GET", "/pages");
    if (r.status !== 200) { problem(r.json.error || "The settings of " + name + " could not be read."); return; }
    const firstTime = !S.data;
    takeData(r.json);
    $("save").textContent = S.data.texts.save;
    $("defaults").textContent = S.data.texts.defaults;
    $("save").disabled = false;
    $("defaults").disabled = false;
    if (firstTime) {
      buildTabs();
      buildCheckPanel();
      buildServersPanel();
      buildHistoryPanel();
      $("loading").hidden = true;
    }
    renderSettings();
    showTab(S.tab || S.data.pages[0].name);
    say(S.data.exists ? "Settings of " + name + ": " + S.data.settingsFile
      : "No settings file yet at " + S.data.settingsFile + ": the defaults are shown.");
    await Promise.all([refreshFound(), loadFindings()]);
  }

  async function start() {
    const r = await api("GET", "/api/session");
    if (r.status !== 200) {
      $("loading").textContent = r.json.error || "No session: open the address servolt-cli serve printed.";
      return;
    }
    S.csrf = r.json.csrf;
    const choose = $("instance");
    const names = r.json.instances && r.json.instances.length ? r.json.instances : ["default"];
    choose.replaceChildren(...names.map((n) => el("option", { value: n, text: n })));
    choose.addEventListener("change", () => {
      if (S.dirty && !confirm("Your edits of " + S.instance + " are not saved. Drop them?")) {
        choose.value = S.instance;
        return;
      }
      problem("");
      openInstance(choose.value);
    });
    $("save").addEventListener("click", save);
    $("defaults").addEventListener("click", useDefaults);
    window.addEventListener("beforeunload", (event) => {
      if (!S.dirty) return;
      event.preventDefault();
      event.returnValue = "";
    });
    await openInstance(names[0]);
  }

  document.addEventListener("DOMContentLoaded", start);
})();
