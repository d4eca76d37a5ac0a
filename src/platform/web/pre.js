// Inside the game's module, before it runs: the data directory (preferences,
// feedback outbox, banner cache) lives in the browser's storage (IndexedDB),
// read in before the game starts and written back after every change.
if (!ENVIRONMENT_IS_PTHREAD) {
  Module.preRun = Module.preRun || [];
  Module.preRun.push(function () {
    FS.mkdir('/nm');
    FS.mount(IDBFS, {}, '/nm');
    addRunDependency('nm-storage');
    FS.syncfs(true, function (error) {
      if (error) console.warn('storage: cannot read the saved files: ' + error);
      removeRunDependency('nm-storage');
    });
    if (Module.scriptText !== undefined) FS.writeFile('/script.txt', Module.scriptText);
  });

  // One write-back at a time; changes made during one are written by the next.
  var nmPersisting = false;
  var nmPersistAgain = false;
  Module.persistStorage = function () {
    if (nmPersisting) {
      nmPersistAgain = true;
      return;
    }
    nmPersisting = true;
    FS.syncfs(false, function (error) {
      nmPersisting = false;
      if (error) console.warn('storage: cannot save: ' + error);
      if (nmPersistAgain) {
        nmPersistAgain = false;
        Module.persistStorage();
      }
    });
  };
}
