// The chart of the issue times of the latest frames, one a column, with its
// caption.

// A frame's issue time in ms from the rate its line gives; an infinite rate
// is a span too short for the clock, counted as 0.
export const issue_time = (rate) => (Number.isFinite(rate) ? 1000 / rate : 0);

// The median (of an even count, the mean of the two middle ones), the
// nearest-rank 99th percentile and the slowest of the times.
export function statistics(times) {
  const sorted = [...times].sort((a, b) => a - b);
  const n = sorted.length;
  return {
    median: n % 2 ? sorted[(n - 1) / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2,
    p99: sorted[Math.ceil(0.99 * n) - 1],
    slowest: sorted[n - 1],
  };
}

export function caption_of(times) {
  const { median, p99 } = statistics(times);
  return `issue time: median ${median.toFixed(2)} ms, p99 ${p99.toFixed(2)} ms ` +
         `over ${times.length} frames`;
}

// Charts the times noted (the rate of each frame's line) at most once an
// animation frame.
export function make_chart(chart, caption) {
  const times = [];
  let due = false;
  function draw() {
    due = false;
    caption.textContent = caption_of(times);
    const { median, slowest } = statistics(times);
    // Scaled to the usual times: a slow frame (the first, with its shader
    // compiles) is cut off at the top and drawn in another colour.
    // Drawn by the processor: so small a chart needs no canvas on the GPU,
    // whose setting up would hold the start up.
    const context = chart.getContext("2d", { willReadFrequently: true });
    const top = Math.min(slowest, 4 * median) || 1;
    context.clearRect(0, 0, chart.width, chart.height);
    times.forEach((time, i) => {
      const height = Math.max(1, Math.min(time, top) / top * (chart.height - 12));
      context.fillStyle = time > top ? "#ffb4a8" : "#7fb0d0";
      context.fillRect(i, chart.height - height, 1, height);
    });
    context.fillStyle = "#dde3e8";
    context.font = "10px monospace";
    context.fillText(`${top.toFixed(2)} ms`, 2, 10);
  }
  return (rate) => {
    times.push(issue_time(rate));
    if (times.length > chart.width)
      times.shift();
    if (!due) {
      due = true;
      requestAnimationFrame(draw);
    }
  };
}
