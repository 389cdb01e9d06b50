// The console panel: the program's lines (standard output and error, also
// handed to the browser's console) and the page's own, marked as such;
// what the program says on standard error, and what keeps the page from
// drawing, also above the canvas.

const panel = document.getElementById("console");
const problem = document.getElementById("problem");
// The panel keeps the latest lines only, so a long session stays small.
const kept_lines = 300;

export function say_problem(text) {
  problem.textContent = text;
}

// Shows a line of the kind "output", "error" or "page".
export function show(line, kind) {
  const row = document.createElement("div");
  row.textContent = line;
  row.className = kind;
  if (kind === "page") {
    console.info(line);
  } else if (kind === "error") {
    say_problem(problem.textContent + (problem.textContent ? "\n" : "") + line);
    console.error(line);
  } else {
    console.log(line);
  }
  const follow = panel.scrollTop + panel.clientHeight >= panel.scrollHeight - 4;
  panel.appendChild(row);
  while (panel.childElementCount > kept_lines)
    panel.firstElementChild.remove();
  if (follow)
    panel.scrollTop = panel.scrollHeight;
}
