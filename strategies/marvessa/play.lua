-- Script of every play formation of common.xml (defence, midfield, attack).
--
-- The agent runs it with the ball position in formation.inputX and
-- formation.inputY (for a team attacking towards +x). The places in the
-- file are those for the formation's reference ball (formation.ballX,
-- formation.ballY); this script moves them for the actual ball and writes
-- them back through formation.playerX_<i> and formation.playerY_<i>
-- (i from 0 to formation.nbPlayers - 1).
--
-- Place 0 goes to the ball itself (the player at the ball takes it), place 1
-- is the goalkeeper's, every other place shifts with the ball by the
-- fractions below. Every place is kept on the field.
--
-- The agent compiles this file once (again whenever it changes) and runs it
-- at every think of a player taking its place, each run with fresh globals:
-- nothing is kept from one run to the next.

-- How far the places follow the ball, as a fraction of the ball's offset
-- from the reference ball: 1 moves the whole block with the ball, 0 keeps
-- the places of the file. One row per formation, found by the x of the
-- formation's reference ball (<ball> in common.xml): the first row whose
-- `upto` is at least that x.
local FOLLOW = {
  { upto = -5.0,      x = 0.4, y = 0.5 },  -- defence (reference ball -10, 0)
  { upto = 5.0,       x = 0.6, y = 0.5 },  -- midfield (reference ball 0, 0)
  { upto = math.huge, x = 0.5, y = 0.4 },  -- attack (reference ball 10, 0)
}

-- Field 30 m x 20 m around the centre spot.
local HALF_LENGTH = 15.0
local HALF_WIDTH = 10.0
local MARGIN = 0.5         -- places stay this far inside the lines
local KEEPER_RANGE = 1.0   -- the goalkeeper slides across its goal within this
local KEEPER_FOLLOW = 0.2  -- ... by this fraction of the ball's y
local FIELD_BACK = -12.5   -- field players stay in front of the goalkeeper

local function clamp(v, lo, hi)
  if v < lo then return lo end
  if v > hi then return hi end
  return v
end

-- The keys of the places, written out: turning a number into text
-- ("playerX_" .. i) costs more than all the rest of this script, which runs
-- at every think of every player taking its place. Places beyond the
-- eleventh get their keys built.
local PLAYER_X = { [0] = "playerX_0", "playerX_1", "playerX_2", "playerX_3", "playerX_4",
  "playerX_5", "playerX_6", "playerX_7", "playerX_8", "playerX_9", "playerX_10" }
local PLAYER_Y = { [0] = "playerY_0", "playerY_1", "playerY_2", "playerY_3", "playerY_4",
  "playerY_5", "playerY_6", "playerY_7", "playerY_8", "playerY_9", "playerY_10" }

local refX, refY = formation.ballX, formation.ballY

local FOLLOW_X, FOLLOW_Y = 0.5, 0.5
for _, row in ipairs(FOLLOW) do
  if refX <= row.upto then
    FOLLOW_X, FOLLOW_Y = row.x, row.y
    break
  end
end

local xmin, xmax = -HALF_LENGTH + MARGIN, HALF_LENGTH - MARGIN
local ymin, ymax = -HALF_WIDTH + MARGIN, HALF_WIDTH - MARGIN

-- A ball estimate off the field counts as on its nearest line.
local bx = clamp(formation.inputX, -HALF_LENGTH, HALF_LENGTH)
local by = clamp(formation.inputY, -HALF_WIDTH, HALF_WIDTH)
local dx = bx - refX
local dy = by - refY

local n = formation.nbPlayers
if n > 0 then
  formation.playerX_0 = clamp(bx, xmin, xmax)
  formation.playerY_0 = clamp(by, ymin, ymax)
end
if n > 1 then
  formation.playerX_1 = clamp(formation.playerX_1, xmin, xmax)
  formation.playerY_1 = clamp(KEEPER_FOLLOW * by, -KEEPER_RANGE, KEEPER_RANGE)
end
-- (clamp written out: this loop is most of the script's work)
local xback = math.max(xmin, FIELD_BACK)
for i = 2, n - 1 do
  local kx = PLAYER_X[i] or "playerX_" .. i
  local ky = PLAYER_Y[i] or "playerY_" .. i
  local x = formation[kx] + FOLLOW_X * dx
  local y = formation[ky] + FOLLOW_Y * dy
  if x < xback then x = xback elseif x > xmax then x = xmax end
  if y < ymin then y = ymin elseif y > ymax then y = ymax end
  formation[kx] = x
  formation[ky] = y
end
