// The piano-roll picture of a song: its notes over time, a colour per
// track, and the playing position over them. The notes are drawn once into
// a picture of their own; each frame copies it and draws the position.

export const trackColour = (track) => `hsl(${(track * 137.5 + 200) % 360} 75% 60%)`;

export class PianoRoll {
  constructor(canvas) {
    this.canvas = canvas;
    this.picture = document.createElement('canvas');
    this.song = null;
  }

  // song: what readMidi gives.
  draw(song) {
    this.song = song;
    const { canvas, picture } = this;
    const ratio = window.devicePixelRatio || 1;
    canvas.width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    canvas.height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    picture.width = canvas.width;
    picture.height = canvas.height;
    const g = picture.getContext('2d');
    g.fillStyle = '#14171f';
    g.fillRect(0, 0, picture.width, picture.height);
    const notes = song ? song.notes : [];
    if (!song || song.seconds <= 0 || notes.length === 0) {
      this.frame(0);
      return;
    }
    let low = 127, high = 0;
    for (const n of notes) { low = Math.min(low, n.key); high = Math.max(high, n.key); }
    low = Math.max(0, low - 2);
    high = Math.min(127, high + 2);
    const rows = high - low + 1;
    const rowHeight = picture.height / rows;
    // Octave lines at each C.
    g.fillStyle = '#232837';
    for (let key = low; key <= high; key++) {
      if (key % 12 === 0) g.fillRect(0, picture.height - (key - low + 1) * rowHeight, picture.width, 1);
    }
    const xOf = (tick) => (song.secondsAt(tick) / song.seconds) * picture.width;
    const height = Math.max(1, rowHeight - 1);
    let track = -1;
    for (const n of notes) {
      if (n.track !== track) { track = n.track; g.fillStyle = trackColour(track); }
      const x = xOf(n.start);
      g.fillRect(x, picture.height - (n.key - low + 1) * rowHeight, Math.max(1, xOf(n.end) - x), height);
    }
    this.frame(0);
  }

  // Copies the picture and draws the position (seconds) over it.
  frame(seconds) {
    const g = this.canvas.getContext('2d');
    g.drawImage(this.picture, 0, 0);
    if (!this.song || this.song.seconds <= 0) return;
    const x = Math.min(1, seconds / this.song.seconds) * this.canvas.width;
    g.fillStyle = '#ffffff';
    g.fillRect(Math.round(x), 0, Math.max(1, Math.round(window.devicePixelRatio || 1)), this.canvas.height);
  }
}
