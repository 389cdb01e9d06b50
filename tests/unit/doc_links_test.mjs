// Every relative link in README.md and docs/ leads somewhere: to a file,
// and where it names a heading, to that heading's anchor as GitHub makes
// it. The modules' diagram in docs/design.md is the code's include graph.
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import { test } from "node:test";
import { fileURLToPath } from "node:url";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const pages = ["README.md", ...fs.readdirSync(path.join(root, "docs"))
  .filter((name) => name.endsWith(".md")).map((name) => `docs/${name}`)];

// The text outside code blocks, and outside code spans too, where links
// are links.
const outside_blocks = (text) => text.replace(/^ *(```|~~~)[^]*?^ *\1/gm, "");
const prose = (text) => outside_blocks(text).replace(/`[^`\n]*`/g, "");

// GitHub's anchors: lower case, punctuation dropped, spaces as hyphens, and
// a number after a heading met before.
function anchors(text) {
  const seen = new Map();
  const found = new Set();
  for (const [, heading] of outside_blocks(text).matchAll(/^#{1,6}\s+(.+?)\s*#*$/gm)) {
    const slug = heading.replace(/<[^>]+>|[`*_]|\]\([^)]*\)/g, "").toLowerCase().trim()
      .replace(/[^\p{L}\p{N}\s-]/gu, "").replace(/\s/g, "-");
    const times = seen.get(slug) ?? 0;
    seen.set(slug, times + 1);
    found.add(times ? `${slug}-${times}` : slug);
  }
  return found;
}

function links(text) {
  const body = prose(text);
  return [...body.matchAll(/\]\(\s*<?([^)\s>]+)>?(?:\s+"[^"]*")?\s*\)/g),
          ...body.matchAll(/<(?:img|a)\s[^>]*?(?:src|href)="([^"]+)"/g)].map((m) => m[1]);
}

test("the documents' relative links lead to files and headings that are there", () => {
  const broken = [];
  for (const page of pages) {
    const text = fs.readFileSync(path.join(root, page), "utf8");
    for (const link of links(text)) {
      if (/^[a-z][a-z+.-]*:/i.test(link))
        continue; // another site, or mail
      const [file, anchor] = link.split("#");
      const target = path.join(root, file ? path.join(path.dirname(page), decodeURI(file)) : page);
      if (!fs.existsSync(target)) {
        broken.push(`${page}: ${link} (no such file)`);
      } else if (anchor !== undefined && !(target.endsWith(".md") &&
                 anchors(fs.readFileSync(target, "utf8")).has(anchor))) {
        broken.push(`${page}: ${link} (no such heading)`);
      }
    }
  }
  assert.deepEqual(broken, []);
  assert.ok(pages.length > 1);
});

// "a --> b" for each header b.h that a's files include, a being a file's
// name without its extension.
function include_edges(files) {
  const edges = new Set();
  for (const file of files) {
    const from = path.basename(file).replace(/\.[^.]*$/, "");
    for (const [, to] of fs.readFileSync(path.join(root, file), "utf8").matchAll(/^#include "(\w+)\.h"/gm))
      if (to !== from)
        edges.add(`${from} --> ${to}`);
  }
  return [...edges].sort();
}

test("the modules' diagram in design.md has the edges of the code's includes", () => {
  const design = fs.readFileSync(path.join(root, "docs/design.md"), "utf8");
  const [, chart] = design.match(/^```mermaid\n([^]*?)^```/m);
  const node = String.raw`(\w+)(?:\[[^\]]*\])?`;
  const drawn = [...chart.matchAll(new RegExp(String.raw`^\s*${node}\s*-->\s*${node}\s*$`, "gm"))]
    .map(([, from, to]) => `${from} --> ${to}`).sort();
  const sources = fs.readdirSync(path.join(root, "src")).map((name) => `src/${name}`);
  assert.deepEqual(drawn, include_edges([...sources, "web/platform_web.cpp"]));
});
