// The command table against the row processor: the player acts on exactly
// the commands the table gives it, and the slot commands reach the slot the
// table names.

#include "engine/commands.h"

#include "fixture.h"

TEST_F(SequencerFixture, ThePlayerAndTheSlotsTakeExactlyTheCommandsTheTableGivesThem) {
  for (int command = 0; command < 256; ++command) {
    cRecordingFx* fx[kFxSlots];
    for (int s = 0; s < kFxSlots; ++s) {
      auto effect = std::make_unique<cRecordingFx>();
      fx[s] = effect.get();
      Inside(t).Effects().object[s][3] = std::move(effect);
    }
    SetCell(0, 3, 0, Command(uint8_t(command), 0x37));
    Start();
    Player().ProcessTick();
    const cPlayer& p = Player();
    const bool playerActed =
        p.currentSpeed != 6 || p.currentBpm != 126 || p.position != 0 || p.row != 0;
    const cCommandInfo* info = FindCommand(uint8_t(command));
    EXPECT_EQ(playerActed, info != nullptr && info->target == eCommandTarget::kPlayer)
        << std::hex << command;
    for (int s = 0; s < kFxSlots; ++s) {
      EXPECT_EQ(!fx[s]->commands.empty(), CommandSlot(uint8_t(command)) == s)
          << std::hex << command << " slot " << s;
    }
  }
}
