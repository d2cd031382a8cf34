// Playback of a converted song through a General MIDI SoundFont
// synthesizer running in an AudioWorklet. The synthesizer, its code and the
// SoundFont are loaded on the first play only.

const SOUNDFONT = 'soundfont/TimGM6mb.sf2';

export class Player {
  constructor() {
    this.ready = null;
    this.song = null; // {name, midi: Uint8Array}
    this.loaded = null; // the song the sequencer holds
  }

  // The audio context, the synthesizer and the sequencer, made once.
  start(onStatus = () => {}) {
    if (!this.ready) {
      this.ready = (async () => {
        onStatus('Loading the synthesizer and the SoundFont…');
        const { WorkletSynthesizer, Sequencer } = await import('./vendor/spessasynth_lib.js');
        const context = new AudioContext();
        await context.audioWorklet.addModule(new URL('./vendor/spessasynth_processor.min.js', import.meta.url));
        const synth = new WorkletSynthesizer(context);
        // The analyser sits between the synthesizer and the speakers: the
        // page can tell sound from silence.
        const analyser = context.createAnalyser();
        analyser.fftSize = 2048;
        synth.connect(analyser);
        analyser.connect(context.destination);
        const response = await fetch(new URL(SOUNDFONT, document.baseURI));
        if (!response.ok) throw new Error(`SoundFont: ${response.status}`);
        await synth.soundBankManager.addSoundBank(await response.arrayBuffer(), 'main');
        await synth.isReady;
        const sequencer = new Sequencer(synth);
        sequencer.loopCount = 0;
        Object.assign(this, { context, synth, analyser, sequencer });
        onStatus('');
      })();
      this.ready.catch((err) => { this.ready = null; onStatus(`The synthesizer could not start: ${err.message}`); });
    }
    return this.ready;
  }

  select(song) {
    if (this.song && song && this.song.midi === song.midi) return;
    if (this.sequencer && !this.sequencer.paused) this.sequencer.pause();
    this.song = song;
  }

  async play(onStatus) {
    if (!this.song) return;
    await this.start(onStatus);
    await this.context.resume();
    if (this.loaded !== this.song) {
      this.loaded = this.song;
      this.sequencer.loadNewSongList([{ binary: this.song.midi.slice().buffer, fileName: this.song.name }]);
      this.sequencer.loopCount = 0;
    }
    this.sequencer.play();
  }

  pause() { if (this.sequencer) this.sequencer.pause(); }

  stop() {
    if (!this.sequencer) return;
    this.sequencer.pause();
    if (this.loaded) this.sequencer.currentTime = 0;
    this.synth.stopAll(true);
  }

  seek(seconds) { if (this.sequencer && this.loaded === this.song) this.sequencer.currentTime = seconds; }

  get playing() { return !!this.sequencer && this.loaded === this.song && !this.sequencer.paused && !this.sequencer.isFinished; }

  // The playing position in seconds (0 before the first play).
  get position() {
    if (!this.sequencer || this.loaded !== this.song) return 0;
    return this.sequencer.currentTime;
  }

  // The largest sample the analyser saw in its last window.
  level() {
    if (!this.analyser) return 0;
    const samples = new Float32Array(this.analyser.fftSize);
    this.analyser.getFloatTimeDomainData(samples);
    let peak = 0;
    for (const s of samples) peak = Math.max(peak, Math.abs(s));
    return peak;
  }
}
